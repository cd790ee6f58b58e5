#pragma once
// Everything a window needs to reach the drive and the user, passed in at construction.
namespace ordalis {

struct Session;
class ShellHooks;
class UiPrompt;
class TimerFactory;
class Connector;

struct AppContext {
    Session& session;
    ShellHooks& shell;
    UiPrompt& prompt;
    TimerFactory& timers;
    Connector& connector;
};

}  // namespace ordalis
