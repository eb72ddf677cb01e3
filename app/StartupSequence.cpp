#include "app/StartupSequence.h"

const StartupStep kStartupSteps[kStartupStepCount] = {
    { 10, "正在连接行情服务器...", nullptr },
    { 30, "加载股票代码列表...", "加载股票代码列表失败，请重新登录!" },
    { 50, "加载财务数据....", "加载财务数据失败，请重新登录!" },
    { 60, "加载报价表....", nullptr },
    { 70, "下载股票代码....", nullptr },
    { 80, "加载板块数据......", nullptr },
    { 90, "加载指标公式数据......", nullptr },
    { 100, "加载除权数据......", nullptr },
};

std::string StartupPercentText(int position)
{
    return "登录进度:" + std::to_string(position) + "%";
}

StartupOutcome RunStartupSequence(
    IStartupWork& work, IStartupProgress& progress, const std::function<bool()>& cancelled)
{
    StartupOutcome outcome;
    for (const StartupStep& step : kStartupSteps) {
        outcome.position = step.position;
        progress.ShowStep(step);
        const int32_t result = work.RunStep(step.position);
        if (step.failure && result < 0) {
            outcome.kind = StartupOutcome::Failed;
            outcome.reason = step.failure;
            return outcome;
        }
        if (cancelled && cancelled()) {
            outcome.kind = StartupOutcome::Cancelled;
            return outcome;
        }
    }
    outcome.kind = StartupOutcome::Completed;
    return outcome;
}
