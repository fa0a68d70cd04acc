#include "window/FrmTarvik.h"

namespace tarvik {

struct ReviewState {};

void FrmTarvik::SetUpRun() {}
void FrmTarvik::CmdTarvik_Click(int16_t) {}
void FrmTarvik::RunStarted() {}
void FrmTarvik::PlanUnderTest(int32_t) {}
void FrmTarvik::AwaitDecision(const std::string&) {}
ThenChange FrmTarvik::ReadThen() {
    return {};
}
void FrmTarvik::RunEnded() {}

} // namespace tarvik
