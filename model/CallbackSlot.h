#pragma once
// A named place for a completion procedure that records call through. A window or
// operation fills it with Bind() and keeps the returned Binding for as long as it wants
// the calls: when the Binding is destroyed the slot empties itself, so nobody clears a
// slot by hand and no call reaches an object that is gone. A later Bind() takes the slot
// over; the earlier Binding then no longer touches it.
#include <cstdint>
#include <functional>
#include <utility>

namespace ordalis {

template <typename... Args>
class CallbackSlot {
public:
    using Function = std::function<void(Args...)>;

    class [[nodiscard]] Binding {
    public:
        Binding() = default;
        Binding(Binding&& o) noexcept : slot_(std::exchange(o.slot_, nullptr)), generation_(o.generation_) {}
        Binding& operator=(Binding&& o) noexcept {
            if (this != &o) {
                Release();
                slot_ = std::exchange(o.slot_, nullptr);
                generation_ = o.generation_;
            }
            return *this;
        }
        Binding(const Binding&) = delete;
        Binding& operator=(const Binding&) = delete;
        ~Binding() { Release(); }

        // Empties the slot now, if it is still this binding's.
        void Release() {
            if (slot_ && slot_->generation_ == generation_) slot_->fn_ = nullptr;
            slot_ = nullptr;
        }
        bool Bound() const { return slot_ && slot_->generation_ == generation_; }

    private:
        friend class CallbackSlot;
        Binding(CallbackSlot* slot, uint64_t generation) : slot_(slot), generation_(generation) {}
        CallbackSlot* slot_ = nullptr;
        uint64_t generation_ = 0;
    };

    CallbackSlot() = default;
    // Records point at their slots: a slot never moves.
    CallbackSlot(const CallbackSlot&) = delete;
    CallbackSlot& operator=(const CallbackSlot&) = delete;

    Binding Bind(Function fn) {
        fn_ = std::move(fn);
        return Binding(this, ++generation_);
    }
    // Fills or empties the slot without a binding: for tests that own the whole set.
    CallbackSlot& operator=(Function fn) {
        fn_ = std::move(fn);
        ++generation_;
        return *this;
    }
    CallbackSlot& operator=(std::nullptr_t) { return *this = Function(); }

    explicit operator bool() const { return static_cast<bool>(fn_); }
    Function Get() const { return fn_; }

    // A copy runs, so the procedure may rebind or release its own slot while it runs.
    void operator()(Args... args) const {
        if (!fn_) return;
        Function f = fn_;
        f(args...);
    }

private:
    Function fn_;
    uint64_t generation_ = 0;
};

// The slot of a record's completion: status, answer data, answer length.
using CompletionSlot = CallbackSlot<uint16_t, const uint8_t*, uint8_t>;
using NotifySlot = CallbackSlot<>;

}  // namespace ordalis
