#include "window/FrmTarvik.h"

#include "run/RuleChecks.h"
#include "traffic/Numbers.h"
#include "window/Bytes.h"
#include "window/ValueCombo.h"

#include <QComboBox>

#include <algorithm>
#include <vector>

namespace tarvik {

namespace {

QStringList Words(const std::string_view* first, const std::string_view* last) {
    QStringList texts;
    for (const std::string_view* word = first; word != last; ++word)
        texts << ToQ(*word);
    return texts;
}

// Fills the box with every airport code of slots 0 to LastAirport, as they stand now; each becomes
// a text of the window only when the list shows it.
void SetAirportEntries(ValueCombo* box, const TrafficSet& set) {
    const int32_t count = std::max(std::min(set.LastAirport, set.AirportTable.Size() - 1) + 1, 0);
    box->SetEntries(count, [codes = set.AirportTable](int i) { return ToQ(codes[i]); });
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

// Empties a text that is no typed percentage, and turns one above 99 into "90".
void HoldPercentage(ValueCombo* box) {
    const std::optional<double> typed = TypedPercentage(FromQ(box->Text()), UserDecimal());
    if (!typed)
        box->SetText(QString());
    else if (*typed > 99) {
        box->SetText(QStringLiteral("90"));
        box->SetSelectionLength(2);
    }
}

} // namespace

void FrmTarvik::SetUpRuleRows() {
    for (int i = 0; i < 6; ++i) {
        const auto index = static_cast<int16_t>(i);
        connect(CMBTarvik[static_cast<std::size_t>(i)], &QComboBox::activated, this,
                [this, index] { CMBTarvik_Click(index); });
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
        SetAirportEntries(box, Set);
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
    const int row = Index - 3;
    ValueCombo* box = ValueBox(Index);
    const EntryShape shape = ShapeOf(row, CMBTarvik[static_cast<std::size_t>(row)]->currentIndex());
    switch (shape.Rule) {
    case Entry::LockNA:
        box->SetLocked(true);
        break;
    case Entry::Cut:
        CutText(box, shape.Limit);
        break;
    case Entry::Percentage:
        HoldPercentage(box);
        break;
    case Entry::ListOnly:
        box->SetText(QString());
        break;
    case Entry::Free:
        break;
    }
}

// Moving the focus out of a rule box changes nothing.
void FrmTarvik::CMBTarvik_LostFocus(int16_t) {}

void FrmTarvik::PickField(int16_t Index, int position) {
    if (Index < 0 || Index > 2)
        return;
    CMBTarvik[static_cast<std::size_t>(Index)]->setCurrentIndex(position);
    CMBTarvik_Click(Index);
}

} // namespace tarvik
