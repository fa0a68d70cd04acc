#include "window/FrmTarvik.h"

#include "run/Rule.h"
#include "traffic/Numbers.h"
#include "window/Bytes.h"
#include "window/RuleRows.h"
#include "window/ValueCombo.h"

#include <QComboBox>
#include <QEvent>
#include <QLocale>

#include <algorithm>
#include <vector>

namespace tarvik {

// The rule rows keep nothing of their own: the boxes hold the rule until OK.
struct RuleRowsState {};

namespace {

// Raises the focus-loss event of one rule box.
class FocusLossWatcher : public QObject {
public:
    FocusLossWatcher(FrmTarvik* window, int16_t index, QObject* box)
        : QObject(box), Window(window), Index(index) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusOut)
            Window->CMBTarvik_LostFocus(Index);
        return false;
    }

private:
    FrmTarvik* Window;
    int16_t Index;
};

QStringList Words(const std::string_view* first, const std::string_view* last) {
    QStringList texts;
    for (const std::string_view* word = first; word != last; ++word)
        texts << ToQ(*word);
    return texts;
}

// Every airport code of slots 0 to LastAirport, as it stands.
QStringList AirportCodes(const TrafficSet& set) {
    QStringList codes;
    const int32_t last = std::min(set.LastAirport, set.AirportTable.Size() - 1);
    codes.reserve(std::max(last + 1, 0));
    for (int32_t i = 0; i <= last; ++i)
        codes << ToQ(set.AirportTable[i]);
    return codes;
}

// Selects position in a value box from the program, which raises the box's pick event; an empty
// list keeps nothing selected.
void SelectEntry(FrmTarvik& window, int16_t index, int position) {
    ValueCombo* box = window.ValueBox(index);
    if (position >= box->count())
        return;
    box->setCurrentIndex(position);
    window.CMBTarvik_Click(index);
}

// Cuts the text back to its first limit characters and selects them when it holds that many.
void CutText(ValueCombo* box, int limit) {
    box->SetText(box->Text().left(limit));
    if (box->Text().size() >= limit)
        box->SetSelectionLength(limit);
}

// A number in the user's format: blanks around, sign, group separators, one decimal separator and
// an exponent allowed; it must hold a digit, so the empty text and words such as "inf" are none.
bool IsNumeric(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    QLocale::system().toDouble(trimmed, &ok);
    return ok && std::any_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c.isDigit(); });
}

// Empties a text that is no number, and turns one whose leading number is above 99 into "90".
void HoldPercentage(ValueCombo* box) {
    const QString typed = box->Text();
    if (!IsNumeric(typed))
        box->SetText(QString());
    if (LeadingNumber(FromQ(typed)) > 99) {
        box->SetText(QStringLiteral("90"));
        box->SetSelectionLength(2);
    }
}

} // namespace

void FrmTarvik::SetUpRuleRows() {
    Rows = std::make_shared<RuleRowsState>();
    for (int i = 0; i < 6; ++i) {
        const auto index = static_cast<int16_t>(i);
        QComboBox* box = CMBTarvik[static_cast<std::size_t>(i)];
        connect(box, &QComboBox::activated, this, [this, index] { CMBTarvik_Click(index); });
        box->installEventFilter(new FocusLossWatcher(this, index, box));
    }
    for (int i = 3; i < 6; ++i) {
        const auto index = static_cast<int16_t>(i);
        connect(ValueBox(i), &ValueCombo::TextChanged, this,
                [this, index] { CMBTarvik_Change(index); });
    }
}

void FrmTarvik::CMBTarvik_Click(int16_t Index) {
    if (Index < 0 || Index > 2)
        return;
    const int position = CMBTarvik[static_cast<std::size_t>(Index)]->currentIndex();
    const auto valueBox = static_cast<int16_t>(Index + 3);
    FillComboIF(valueBox, Index, FieldCode(Index, position));
    ValueBox(valueBox)->SetLocked(position == -1);
}

void FrmTarvik::FillComboIF(int16_t MyIndex, int16_t /*YourIndex*/, int16_t Atag) {
    if (MyIndex < 3 || MyIndex > 5)
        return;
    ValueCombo* box = ValueBox(MyIndex);
    box->Empty();
    switch (Atag) {
    case HomeAirport:
    case VisitedAirport:
        box->SetEntries(AirportCodes(Set));
        SelectEntry(*this, MyIndex, 0);
        break;
    case Aircraft: {
        QStringList titles;
        std::vector<int32_t> tags;
        const int32_t last = std::min(Set.LastAircraft, Set.AircraftTable.Size() - 1);
        for (int32_t i = 0; i <= last; ++i) {
            titles << ToQ(Set.AircraftTable[i].Acraft);
            tags.push_back(Set.AircraftTable[i].Atag);
        }
        box->SetEntries(titles, tags);
        SelectEntry(*this, MyIndex, 0);
        break;
    }
    case FlightFrequency:
        box->SetEntries(Words(FrequencyWords.begin(), FrequencyWords.end()));
        SelectEntry(*this, MyIndex, FrequencyDefault);
        break;
    case IfrVfr:
        box->SetEntries(Words(FlightRuleWords.begin(), FlightRuleWords.end()));
        SelectEntry(*this, MyIndex, 0);
        break;
    default: // Percentage, AircraftId, NoField: an empty box for a typed value
        break;
    }
    box->update();
}

void FrmTarvik::CMBTarvik_Change(int16_t Index) {
    if (Index < 3 || Index > 5)
        return;
    const int16_t fieldBox = static_cast<int16_t>(Index - 3);
    const int position = CMBTarvik[static_cast<std::size_t>(fieldBox)]->currentIndex();
    ValueCombo* box = ValueBox(Index);
    if (position < 0)
        return;
    if (Index == 4 && position == 0) { // "NA"
        box->SetLocked(true);
        return;
    }
    switch (FieldCode(fieldBox, position)) {
    case HomeAirport:
    case VisitedAirport:
        CutText(box, 4);
        break;
    case AircraftId:
        CutText(box, 6);
        break;
    case Percentage:
        HoldPercentage(box);
        break;
    case Aircraft:
    case FlightFrequency:
    case IfrVfr:
        box->SetText(QString());
        break;
    default:
        break;
    }
}

void FrmTarvik::CMBTarvik_LostFocus(int16_t) {}

void FrmTarvik::PickField(int16_t Index, int position) {
    if (Index < 0 || Index > 2)
        return;
    CMBTarvik[static_cast<std::size_t>(Index)]->setCurrentIndex(position);
    CMBTarvik_Click(Index);
}

} // namespace tarvik
