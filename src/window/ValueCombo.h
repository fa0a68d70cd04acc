#pragma once
// A value box of a rule row: a drop-down list with an editable text part that can be locked.
// Locked, it takes neither typing nor a pick from its list, while the program can still empty it,
// fill it and write its text.
//
// The selected position stands for the entry whose text is on show: any change of the text other
// than selecting an entry leaves no entry selected (position -1), the text staying as written.

#include <QComboBox>

#include <cstdint>
#include <functional>
#include <vector>

namespace tarvik {

class ValueListModel;

class ValueCombo : public QComboBox {
    Q_OBJECT
public:
    explicit ValueCombo(QWidget* parent = nullptr);

    void SetLocked(bool locked);
    bool IsLocked() const { return Locked; }

    // Removes every entry and the text; nothing selected. Raises no TextChanged.
    void Empty();
    // Replaces the entries in one step; tags holds each entry's item data (0 when shorter). The
    // text is emptied and nothing is selected. Raises no TextChanged.
    void SetEntries(const QStringList& texts, const std::vector<int32_t>& tags = {});
    // The same for count entries whose texts textAt gives when the list needs them.
    void SetEntries(int count, std::function<QString(int)> textAt,
                    const std::vector<int32_t>& tags = {});
    // The item data of the entry at position, 0 when there is none.
    int32_t ItemDataAt(int position) const;

    // The text part. A write that changes it puts the caret at the start with nothing selected
    // and then raises TextChanged; one that doesn't is no change.
    QString Text() const;
    void SetText(const QString& text);
    // Selects length characters of the text part from the start of the selection, or from the
    // caret when nothing is selected.
    void SetSelectionLength(int length);

    void showPopup() override;

signals:
    // The text part changed by typing, pasting, deleting or a program write; not by a pick from
    // the list or by selecting an entry from the program.
    void TextChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void OnTextEdited();
    void OnTextChanged();
    void KeepTextDeselect();

    ValueListModel* List = nullptr;
    bool Locked = false;
    bool UserEdit = false;     // the line edit reported a user's edit; its textChanged follows
    bool ProgramWrite = false; // SetText is writing the text part
    int Quiet = 0;             // the box is being emptied or filled, or its text restored
    int LastIndex = -1;        // the selected position as last seen
};

} // namespace tarvik
