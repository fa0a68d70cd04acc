#include "window/FrmTarvik.h"

#include "window/ModTarvik.h"
#include "window/ValueCombo.h"

#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tarvik {

FrmTarvik::FrmTarvik(const Platform& platform, QWidget* parent) : QMainWindow(parent), P(platform) {
    BuildControls();
    SetUpFiles();
    SetUpRuleRows();
    SetUpRun();
}

FrmTarvik::~FrmTarvik() = default;

void FrmTarvik::Form_Load() {
    CenterAndShow(*this);
}

ValueCombo* FrmTarvik::ValueBox(int index) const {
    return static_cast<ValueCombo*>(CMBTarvik[static_cast<std::size_t>(index)]);
}

namespace {

// Places and sizes are given in twips, 15 to a pixel at 96 dots per inch.
QRect Twips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

QFont WindowFont(qreal points, bool bold) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

struct LabelSpec {
    const char* Text;
    int Left, Top, Width, Height;
    qreal Points;
};

// LBLTarvik(0) to LBLTarvik(13).
const LabelSpec Labels[14] = {
    {"If", 600, 840, 615, 255, 12},
    {"Then", 360, 1800, 735, 255, 12},
    {"=", 3360, 840, 375, 375, 18},
    {"=", 3360, 1800, 375, 375, 18},
    {"And", 480, 1320, 615, 375, 12},
    {"=", 3360, 1320, 375, 495, 18},
    {"Number Of FlightPlanes", 480, 0, 2175, 255, 8.25},
    {"", 840, 360, 1335, 255, 8.25},
    {"Number Of AirCraft", 3600, 0, 1695, 255, 8.25},
    {"Number Of AirPorts", 6240, 0, 1695, 255, 8.25},
    {"", 3720, 360, 1335, 255, 8.25},
    {"", 6360, 360, 1335, 255, 8.25},
    {"", 1560, 2280, 1335, 255, 8.25},
    {"Plan Number", 360, 2280, 1215, 255, 8.25},
};

struct ButtonSpec {
    const char* Text;
    int Left, Top, Width, Height;
};

// CmdTarvik(0) to CmdTarvik(4).
const ButtonSpec Buttons[5] = {
    {"OK", 3360, 2280, 2415, 375},
    {"&Change This One", 240, 4320, 2055, 375},
    {"&Skip this one", 2400, 4320, 2055, 375},
    {"Change The &Lot", 4560, 4320, 1935, 375},
    {"Cancel", 6600, 4320, 1935, 375},
};

// CMBTarvik(0) to CMBTarvik(5): the field boxes, then the value boxes, one row a line.
const int ComboTops[3] = {840, 1320, 1800};

const QStringList FieldEntries[3] = {
    {"Home AirPort", "AirCraft", "Percentage", "Aircraft ID", "Flight Frequency", "IFR_VFR"},
    {"NA", "Home AirPort", "AirCraft", "Percentage", "Aircraft ID", "Flight Frequency", "IFR_VFR",
     "Visited AirPort"},
    {"Home AirPort", "AirCraft", "Percentage", "Aircraft ID", "Flight Frequency", "IFR_VFR",
     "Visited AirPort"},
};

const char* const ValueTexts[3] = {"CMBTarvik", "", "CMBTarvik"};

QString ArrayName(const char* array, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(index);
}

} // namespace

void FrmTarvik::BuildControls() {
    setWindowTitle(QStringLiteral("Tarvik"));
    setFont(WindowFont(8.25, false));

    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("ClientArea"));
    area->setFixedSize(8880 / 15, 5145 / 15);
    setCentralWidget(area);

    MnuFiles = menuBar()->addMenu(QStringLiteral("&Files"));
    MnuFiles->setObjectName(QStringLiteral("MnuFiles"));
    MnuOpen = MnuFiles->addAction(QStringLiteral("&Open"));
    MnuSave = MnuFiles->addAction(QStringLiteral("&Save"));
    MNUDivider = MnuFiles->addAction(QStringLiteral("______"));
    MnuExit = MnuFiles->addAction(QStringLiteral("E&xit"));
    MnuOpen->setObjectName(QStringLiteral("MnuOpen"));
    MnuSave->setObjectName(QStringLiteral("MnuSave"));
    MNUDivider->setObjectName(QStringLiteral("MNUDivider"));
    MnuExit->setObjectName(QStringLiteral("MnuExit"));

    for (int i = 0; i < 14; ++i) {
        const LabelSpec& spec = Labels[i];
        auto* label = new QLabel(QString::fromLatin1(spec.Text), area);
        label->setObjectName(ArrayName("LBLTarvik", i));
        label->setGeometry(Twips(spec.Left, spec.Top, spec.Width, spec.Height));
        label->setFont(WindowFont(spec.Points, true));
        label->setFocusPolicy(Qt::NoFocus);
        LBLTarvik[static_cast<std::size_t>(i)] = label;
    }

    for (int row = 0; row < 3; ++row) {
        auto* field = new QComboBox(area);
        field->addItems(FieldEntries[row]);
        field->setCurrentIndex(-1);
        field->setGeometry(Twips(1080, ComboTops[row], 2055, 315));
        CMBTarvik[static_cast<std::size_t>(row)] = field;

        auto* value = new ValueCombo(area);
        value->setGeometry(Twips(4080, ComboTops[row], 4215, 315));
        value->SetText(QString::fromLatin1(ValueTexts[row]));
        value->SetLocked(true);
        CMBTarvik[static_cast<std::size_t>(row + 3)] = value;
    }
    for (int i = 0; i < 6; ++i)
        CMBTarvik[static_cast<std::size_t>(i)]->setObjectName(ArrayName("CMBTarvik", i));

    for (int i = 0; i < 5; ++i) {
        const ButtonSpec& spec = Buttons[i];
        auto* button = new QPushButton(QString::fromLatin1(spec.Text), area);
        button->setObjectName(ArrayName("CmdTarvik", i));
        button->setGeometry(Twips(spec.Left, spec.Top, spec.Width, spec.Height));
        button->setFont(WindowFont(9.75, true));
        button->setEnabled(i == 0 || i == 4);
        CmdTarvik[static_cast<std::size_t>(i)] = button;
    }

    TxtTarvik = new QPlainTextEdit(area);
    TxtTarvik->setObjectName(QStringLiteral("TxtTarvik"));
    TxtTarvik->setGeometry(Twips(120, 2760, 8655, 1335));
    TxtTarvik->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    TxtTarvik->setReadOnly(true);
    TxtTarvik->setTabChangesFocus(true);

    // The focus cycle: the rule rows, OK, the text box, the review buttons.
    QWidget* const order[] = {CMBTarvik[0], CMBTarvik[3], CMBTarvik[1], CMBTarvik[4],
                              CMBTarvik[2], CMBTarvik[5], CmdTarvik[0], TxtTarvik,
                              CmdTarvik[1], CmdTarvik[2], CmdTarvik[3], CmdTarvik[4]};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    CMBTarvik[0]->setFocus();

    setFixedSize(area->width(), area->height() + menuBar()->sizeHint().height());
}
void FrmTarvik::SetBusy(bool) {}
void FrmTarvik::ShowOops(const QString&) {}
bool FrmTarvik::eventFilter(QObject* watched, QEvent* event) {
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tarvik
