#pragma once
// A value box of a rule row: a drop-down list with an editable text part that can be locked.
// Locked, it takes neither typing nor a pick from its list, while the program can still empty it,
// fill it and write its text.

#include <QComboBox>

#include <cstdint>
#include <vector>

namespace tarvik {

class ValueCombo : public QComboBox {
    Q_OBJECT
public:
    explicit ValueCombo(QWidget* parent = nullptr);

    void SetLocked(bool locked);
    bool IsLocked() const { return Locked; }

    // Removes every entry and the text; nothing selected.
    void Empty();
    // Replaces the entries in one step; data holds each entry's item data (0 when shorter).
    void SetEntries(const QStringList& texts, const std::vector<int32_t>& data = {});
    // The item data of the entry at position, 0 when there is none.
    int32_t ItemDataAt(int position) const;

    // The text part. A write that changes it raises TextChanged; one that doesn't is no change.
    QString Text() const;
    void SetText(const QString& text);
    // Selects length characters of the text part from the caret.
    void SetSelectionLength(int length);

signals:
    // The text part changed by typing, pasting, deleting or a program write; not by a pick from
    // the list or by selecting an entry from the program.
    void TextChanged();

private:
    bool Locked = false;
};

} // namespace tarvik
