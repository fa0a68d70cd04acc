#include "window/ValueCombo.h"

namespace tarvik {

ValueCombo::ValueCombo(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
}
void ValueCombo::SetLocked(bool locked) {
    Locked = locked;
}
void ValueCombo::Empty() {
    clear();
}
void ValueCombo::SetEntries(const QStringList& texts, const std::vector<int32_t>&) {
    clear();
    addItems(texts);
}
int32_t ValueCombo::ItemDataAt(int) const {
    return 0;
}
QString ValueCombo::Text() const {
    return currentText();
}
void ValueCombo::SetText(const QString& text) {
    setEditText(text);
}
void ValueCombo::SetSelectionLength(int) {}

} // namespace tarvik
