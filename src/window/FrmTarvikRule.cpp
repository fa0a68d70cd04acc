#include "window/FrmTarvik.h"

namespace tarvik {

struct RuleRowsState {};

void FrmTarvik::SetUpRuleRows() {}
void FrmTarvik::CMBTarvik_Click(int16_t) {}
void FrmTarvik::CMBTarvik_Change(int16_t) {}
void FrmTarvik::CMBTarvik_LostFocus(int16_t) {}
void FrmTarvik::FillComboIF(int16_t, int16_t, int16_t) {}
void FrmTarvik::PickField(int16_t, int) {}

} // namespace tarvik
