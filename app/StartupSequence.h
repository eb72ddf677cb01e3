#pragma once
// The loading that follows a login: eight steps, each shown with its progress
// position and texts before its work runs. The sequence stops when a step
// fails (the code table or the finance data) or when the user has cancelled;
// cancelling is looked at after every step's work, never during it.
#include <cstdint>
#include <functional>
#include <string>

struct StartupStep
{
    int position; // of the progress bar, 0..100
    const char* text; // the step text
    const char* failure; // shown when the step's work fails; null when its result is not looked at
};
inline constexpr int kStartupStepCount = 8;
extern const StartupStep kStartupSteps[kStartupStepCount];

// "登录进度:N%".
std::string StartupPercentText(int position);

// The work of the steps, by position.
class IStartupWork
{
public:
    virtual ~IStartupWork() { }
    // Runs the step's work; a negative result stops the sequence (only the
    // steps with a failure text are looked at).
    virtual int32_t RunStep(int position) = 0;
};

// Where the sequence shows its progress (called before each step's work).
class IStartupProgress
{
public:
    virtual ~IStartupProgress() { }
    virtual void ShowStep(const StartupStep& step) = 0;
};

struct StartupOutcome
{
    enum Kind
    {
        Completed,
        Cancelled,
        Failed,
    };
    Kind kind = Completed;
    int position = 0; // the last step that ran
    const char* reason = nullptr; // the failed step's text when Failed
};

StartupOutcome RunStartupSequence(
    IStartupWork& work, IStartupProgress& progress, const std::function<bool()>& cancelled);
