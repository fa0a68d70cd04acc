#include "window/FrmTarvik.h"

#include "platform/MessageBoxes.h"
#include "run/Rule.h"
#include "traffic/Load.h"
#include "traffic/QtPaths.h"
#include "window/Bytes.h"
#include "window/ModTarvik.h"
#include "window/TarvikIcon.h"
#include "window/Texts.h"
#include "window/ValueCombo.h"

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace tarvik {

FrmTarvik::FrmTarvik(const Platform& platform, QWidget* parent) : QMainWindow(parent), P(platform) {
    BuildControls();
    SetUpFiles();
    SetUpRuleRows();
    SetUpRun();
    setWindowIcon(QIcon(QPixmap::fromImage(DrawTarvikIcon())));
    qApp->installEventFilter(this);
    setAcceptDrops(true);
}

FrmTarvik::~FrmTarvik() {
    qApp->removeEventFilter(this);
    // The controls go first, while their handlers still have a whole window to call.
    delete takeCentralWidget();
}

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

const QString WindowFace = QStringLiteral("MS Sans Serif");

// Where the window's face is missing, the nearest face at hand stands in: one of the same width
// first, a condensed one last, so that the captions fit their labels.
void SubstituteWindowFace() {
    if (!QFont::substitutes(WindowFace).isEmpty())
        return;
    QFont::insertSubstitutions(WindowFace,
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica"),
                                QStringLiteral("DejaVu Sans Condensed")});
}

QFont WindowFont(qreal points, bool bold) {
    QFont font(WindowFace);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

struct LabelRow {
    const char* Text;
    int Left, Top, Width, Height;
    qreal Points;
};

// LBLTarvik(0) to LBLTarvik(13).
const LabelRow LabelRows[14] = {
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

struct ButtonRow {
    const char* Text;
    int Left, Top, Width, Height;
};

// CmdTarvik(0) to CmdTarvik(4).
const ButtonRow ButtonRows[5] = {
    {"OK", 3360, 2280, 2415, 375},
    {"&Change This One", 240, 4320, 2055, 375},
    {"&Skip this one", 2400, 4320, 2055, 375},
    {"Change The &Lot", 4560, 4320, 1935, 375},
    {"Cancel", 6600, 4320, 1935, 375},
};

// CMBTarvik(0) to CMBTarvik(5): the field boxes, then the value boxes, one row a line.
const int ComboTops[3] = {840, 1320, 1800};

// The entries of a row's field box.
QStringList FieldEntries(int row) {
    QStringList entries;
    for (int position = 0; position < FieldCount(row); ++position)
        entries << ToQ(FieldEntry(row, position));
    return entries;
}

const char* const ValueTexts[3] = {"CMBTarvik", "", "CMBTarvik"};

QString ArrayName(const char* array, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(index);
}

} // namespace

void FrmTarvik::BuildControls() {
    setWindowTitle(QStringLiteral("Tarvik"));
    SubstituteWindowFace();
    setFont(WindowFont(8.25, false));

    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("ClientArea"));
    area->setFixedSize(8880 / 15, 5145 / 15);
    setCentralWidget(area);

    MnuFiles = menuBar()->addMenu(QStringLiteral("&Files"));
    MnuFiles->setObjectName(QStringLiteral("MnuFiles"));
    MnuOpen = MnuFiles->addAction(QStringLiteral("&Open"));
    MnuSave = MnuFiles->addAction(QStringLiteral("&Save"));
    MnuCheck = MnuFiles->addAction(QStringLiteral("&Check Set"));
    MNUDivider = MnuFiles->addAction(QStringLiteral("______"));
    MnuExit = MnuFiles->addAction(QStringLiteral("E&xit"));
    MnuOpen->setObjectName(QStringLiteral("MnuOpen"));
    MnuSave->setObjectName(QStringLiteral("MnuSave"));
    MnuCheck->setObjectName(QStringLiteral("MnuCheck"));
    MNUDivider->setObjectName(QStringLiteral("MNUDivider"));
    MnuExit->setObjectName(QStringLiteral("MnuExit"));

    for (int i = 0; i < 14; ++i) {
        const LabelRow& item = LabelRows[i];
        auto* label = new QLabel(QString::fromLatin1(item.Text), area);
        label->setObjectName(ArrayName("LBLTarvik", i));
        label->setGeometry(Twips(item.Left, item.Top, item.Width, item.Height));
        label->setFont(WindowFont(item.Points, true));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setFocusPolicy(Qt::NoFocus);
        LBLTarvik[static_cast<std::size_t>(i)] = label;
    }

    for (int row = 0; row < 3; ++row) {
        auto* field = new QComboBox(area);
        field->addItems(FieldEntries(row));
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
        const ButtonRow& item = ButtonRows[i];
        auto* button = new QPushButton(QString::fromLatin1(item.Text), area);
        button->setObjectName(ArrayName("CmdTarvik", i));
        button->setGeometry(Twips(item.Left, item.Top, item.Width, item.Height));
        button->setFont(WindowFont(9.75, true));
        button->setEnabled(i == 0 || i == 4);
        CmdTarvik[static_cast<std::size_t>(i)] = button;
    }

    CmdTarvik[OkButton]->setDefault(true);

    TxtTarvik = new QPlainTextEdit(area);
    TxtTarvik->setObjectName(QStringLiteral("TxtTarvik"));
    TxtTarvik->setGeometry(Twips(120, 2760, 8655, 1335));
    TxtTarvik->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    TxtTarvik->setReadOnly(true);
    TxtTarvik->setTabChangesFocus(true);

    // The focus cycle: the rule rows, OK, the text box, the review buttons.
    QWidget* const order[] = {CMBTarvik[IfFieldBox],       CMBTarvik[3],
                              CMBTarvik[AndFieldBox],      CMBTarvik[4],
                              CMBTarvik[ThenFieldBox],     CMBTarvik[5],
                              CmdTarvik[OkButton],         TxtTarvik,
                              CmdTarvik[ChangeThisButton], CmdTarvik[SkipButton],
                              CmdTarvik[ChangeLotButton],  CmdTarvik[CancelButton]};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    CMBTarvik[IfFieldBox]->setFocus();

    setFixedSize(area->width(), area->height() + menuBar()->sizeHint().height());
}

namespace {

bool IsEnterKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers chords = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
           !(key.modifiers() & chords);
}

bool IsEscKey(const QKeyEvent& key) {
    return key.key() == Qt::Key_Escape && key.modifiers() == Qt::NoModifier;
}

// The button that a key typed into target presses: the focused button or "OK" for Enter,
// "Cancel" for Esc; nullptr for keys the window leaves to the control (other keys, keys of other
// windows, of an open list or menu, of the menu bar).
QAbstractButton* ButtonForKey(const FrmTarvik& window, QObject* target, const QKeyEvent& key) {
    if (!target->isWidgetType() || QApplication::activePopupWidget())
        return nullptr;
    auto* widget = static_cast<QWidget*>(target);
    if (widget->window() != &window || qobject_cast<QMenuBar*>(widget))
        return nullptr;
    if (IsEnterKey(key)) {
        if (auto* focused = qobject_cast<QAbstractButton*>(widget))
            return focused;
        return window.CmdTarvik[FrmTarvik::OkButton];
    }
    if (IsEscKey(key))
        return window.CmdTarvik[FrmTarvik::CancelButton];
    return nullptr;
}

// The button whose access key target is told of, or nullptr.
QPushButton* ButtonForAccessKey(const FrmTarvik& window, QObject* target) {
    for (QPushButton* button : window.CmdTarvik)
        if (button == target)
            return button;
    return nullptr;
}

// The flight-plan file that a drag carries: one local file, or a folder that names one as the
// command line's FILE does; empty for anything else.
QString DraggedPlansFile(const QMimeData* mime) {
    if (!mime || mime->urls().size() != 1 || !mime->urls().front().isLocalFile())
        return {};
    const PlansFileChoice choice = PlansFileOf(PathFromQt(mime->urls().front().toLocalFile()));
    return QtPath(choice.File);
}

bool IsDragEvent(QEvent::Type type) {
    return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop;
}

} // namespace

void FrmTarvik::SetBusy(bool busy) {
    const bool wasBusy = testAttribute(Qt::WA_SetCursor) && cursor().shape() == Qt::WaitCursor;
    if (busy == wasBusy)
        return;
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void FrmTarvik::ShowOops(const QString& text) {
    P.Messages->Show(this, text, texts::Oops, Buttons::Ok);
}

// Enter, Esc and the access keys press their button at once, as a click, and only when it is
// enabled; the key is used up either way.
bool FrmTarvik::eventFilter(QObject* watched, QEvent* event) {
    if (IsDragEvent(event->type()) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this)
        return DragOnWindow(*static_cast<QDropEvent*>(event)) ||
               QMainWindow::eventFilter(watched, event);
    QAbstractButton* button = nullptr;
    if (event->type() == QEvent::KeyPress)
        button = ButtonForKey(*this, watched, *static_cast<QKeyEvent*>(event));
    else if (event->type() == QEvent::Shortcut)
        button = ButtonForAccessKey(*this, watched);
    if (!button)
        return QMainWindow::eventFilter(watched, event);
    if (button->isEnabled())
        button->click();
    return true;
}

// A flight-plan file dragged onto any part of the window is taken, and once dropped opened as
// Open opens the file its dialog chose. The open waits until the drop is over, so that a question
// about unsaved changes does not hold up the program the file came from. Any other drag goes to
// the control under it.
bool FrmTarvik::DragOnWindow(QDropEvent& event) {
    const QString file = DraggedPlansFile(event.mimeData());
    if (file.isEmpty())
        return false;
    event.acceptProposedAction();
    if (event.type() == QEvent::Drop)
        QTimer::singleShot(0, this, [this, file] { OpenPlansFile(file); });
    return true;
}

} // namespace tarvik
