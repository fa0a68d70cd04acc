#include "window/ValueCombo.h"

#include <QAbstractListModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QWheelEvent>

#include <utility>

namespace tarvik {

// The entries of a value box: texts with their item data, replaced only as a whole so that a list
// of a hundred thousand entries is set in one step.
class ValueListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : Count;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= Count)
            return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return TextAt(index.row());
        if (role == Qt::UserRole)
            return DataAt(index.row());
        return {};
    }

    void Reset(int count, std::function<QString(int)> textAt, std::vector<int32_t> tags) {
        beginResetModel();
        Count = count;
        TextAt = std::move(textAt);
        Data = std::move(tags);
        endResetModel();
    }

    // 0 for a position without entry or without item data.
    int32_t DataAt(int row) const {
        if (row < 0 || row >= Count || static_cast<std::size_t>(row) >= Data.size())
            return 0;
        return Data[static_cast<std::size_t>(row)];
    }

private:
    int Count = 0;
    std::function<QString(int)> TextAt;
    std::vector<int32_t> Data;
};

ValueCombo::ValueCombo(QWidget* parent) : QComboBox(parent) {
    List = new ValueListModel(this);
    setModel(List);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    // No completion: it would write into the text part by itself.
    setCompleter(nullptr);

    // A long list opens fast when every row has the height of the first.
    if (auto* list = qobject_cast<QListView*>(view()))
        list->setUniformItemSizes(true);

    // Enter and leaving the box don't select the entry whose text was typed.
    QLineEdit* edit = lineEdit();
    disconnect(edit, &QLineEdit::editingFinished, this, nullptr);
    disconnect(edit, &QLineEdit::returnPressed, this, nullptr);

    connect(edit, &QLineEdit::textEdited, this, &ValueCombo::OnTextEdited);
    connect(edit, &QLineEdit::textChanged, this, &ValueCombo::OnTextChanged);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) { LastIndex = index; });
}

void ValueCombo::SetLocked(bool locked) {
    Locked = locked;
    lineEdit()->setReadOnly(locked);
    if (locked && view()->isVisible())
        hidePopup();
}

void ValueCombo::Empty() {
    SetEntries({});
}

void ValueCombo::SetEntries(const QStringList& texts, const std::vector<int32_t>& tags) {
    SetEntries(
        static_cast<int>(texts.size()), [texts](int i) { return texts[i]; }, tags);
}

void ValueCombo::SetEntries(int count, std::function<QString(int)> textAt,
                            const std::vector<int32_t>& tags) {
    ++Quiet;
    List->Reset(count, std::move(textAt), tags);
    setCurrentIndex(-1);
    lineEdit()->clear();
    --Quiet;
    UserEdit = false;
    LastIndex = currentIndex();
}

int32_t ValueCombo::ItemDataAt(int position) const {
    return List->DataAt(position);
}

QString ValueCombo::Text() const {
    return lineEdit()->text();
}

void ValueCombo::SetText(const QString& text) {
    if (text == lineEdit()->text())
        return;
    ProgramWrite = true;
    lineEdit()->setText(text);
    ProgramWrite = false;
}

void ValueCombo::SetSelectionLength(int length) {
    QLineEdit* edit = lineEdit();
    const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    if (length > 0)
        edit->setSelection(start, length);
    else
        edit->setCursorPosition(start);
}

void ValueCombo::showPopup() {
    if (!Locked)
        QComboBox::showPopup();
}

void ValueCombo::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (Locked || enter) {
        event->ignore(); // left to the window: a locked box takes no keys, Enter is the window's
        return;
    }
    QComboBox::keyPressEvent(event);
}

void ValueCombo::wheelEvent(QWheelEvent* event) {
    if (Locked) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

void ValueCombo::OnTextEdited() {
    UserEdit = true;
}

void ValueCombo::OnTextChanged() {
    if (Quiet > 0)
        return;
    if (UserEdit) {
        UserEdit = false;
        KeepTextDeselect();
        emit TextChanged();
        return;
    }
    if (!ProgramWrite && currentIndex() != LastIndex) {
        LastIndex = currentIndex(); // an entry was selected: its text is on show
        return;
    }
    ProgramWrite = false;
    KeepTextDeselect();
    lineEdit()->setCursorPosition(0);
    emit TextChanged();
}

// Leaves no entry selected while keeping the text, the caret and the selection of the text part.
void ValueCombo::KeepTextDeselect() {
    if (currentIndex() < 0)
        return;
    QLineEdit* edit = lineEdit();
    const QString text = edit->text();
    const int cursor = edit->cursorPosition();
    const int start = edit->selectionStart();
    const int end = edit->selectionEnd();
    ++Quiet;
    setCurrentIndex(-1);
    edit->setText(text);
    --Quiet;
    LastIndex = -1;
    if (start < 0)
        edit->setCursorPosition(cursor);
    else if (cursor == start)
        edit->setSelection(end, start - end);
    else
        edit->setSelection(start, end - start);
}

} // namespace tarvik
