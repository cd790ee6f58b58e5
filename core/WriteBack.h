#pragma once
// Parameter files against the connected drive: saving the mirror's fourteen file values,
// and loading a file, which checks it, copies its values into the mirror and writes them
// into the drive with WriteBackList on the RunQueue while the status poll rests.
//
// The write-back counts every record of the list as it ends. Records the drive refuses
// (132) or answers with a condition code are collected; when the list has ended the poll
// runs again for any model, and either WriteBackDone or WriteBackFailed (naming the
// parameters) follows. A list whose last record is refused is written once more from its
// first record by the link; the count then starts over and the repeat decides.
#include <QObject>
#include <QString>
#include <cstdint>
#include <random>
#include <vector>

#include "core/ParameterFile.h"
#include "model/CallbackSlot.h"

namespace ordalis {

class DriveSession;

class WriteBack : public QObject {
    Q_OBJECT
public:
    // seed: the generator of the files' random first byte, seeded once.
    WriteBack(DriveSession& drive, uint32_t seed, QObject* parent = nullptr);

    // TB_SaveFileClick once a name is chosen: the mirror's values, whatever it holds, into
    // the file. False, with a message naming the file and the reason, when it cannot be
    // written; an existing file then keeps its old content.
    bool SaveFile(const QString& path);
    // TB_FileOpenClick once a name is chosen: the three checks, each with its message
    // and nothing changed, then the write-back. False when nothing was sent.
    bool LoadFile(const QString& path);
    bool Running() const { return running_; }
    const ParameterFileImage& FileBuffer() const { return fileBuffer_; }

    void WriteBackStep(uint16_t status);

signals:
    void WriteBackStarted(int total);
    // done: records answered so far (0 again when the link starts the list over).
    void WriteBackProgress(int done, int total);
    // Every record answered; the poll runs again.
    void WriteBackDone();
    // The list ended with records not written; the poll runs again. Emitted from the event
    // loop, never from inside the link's callback.
    void WriteBackFailed(const QString& message);

private:
    struct Failure {
        uint16_t id;
        uint16_t status;
    };
    void Finish();
    void Abandon();

    DriveSession& drive_;
    std::mt19937 random_;
    ParameterFileImage fileBuffer_{};
    bool running_ = false;
    int ended_ = 0;  // records of the list that ended, answered or not
    std::vector<Failure> failures_;
    CompletionSlot::Binding stepBinding_;
};

}  // namespace ordalis
