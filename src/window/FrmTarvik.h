#pragma once
// The one window of the program: the Files menu, the three rule rows, the figures, the review
// text box and the five buttons.

#include "platform/Platform.h"
#include "run/Walk.h"
#include "traffic/Tables.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class QAction;
class QComboBox;
class QDropEvent;
class QEventLoop;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace tarvik {

class ValueCombo;
struct ReviewState;

class FrmTarvik : public QMainWindow, private RunHost {
    Q_OBJECT
public:
    explicit FrmTarvik(const Platform& platform, QWidget* parent = nullptr);
    ~FrmTarvik() override;

    // The window's load event: places and shows the window.
    void Form_Load();

    // Menu handlers.
    void MnuOpen_Click();
    // Opens the set of a flight-plan file as Open does once its dialog has chosen it: asks first
    // about unsaved changes, and is refused during a review.
    void OpenPlansFile(const QString& path);
    void MnuSave_Click();
    // Shows what the traffic compiler would trip on in the open set; refused during a review.
    void MnuCheck_Click();
    void MnuExit_Click();

    // Handlers of the control arrays; Index is the member's index.
    void CmdTarvik_Click(int16_t Index);
    void CMBTarvik_Click(int16_t Index);
    void CMBTarvik_Change(int16_t Index);
    void CMBTarvik_LostFocus(int16_t Index);

    // Refills value box MyIndex for the field code Atag, asked by field box YourIndex.
    void FillComboIF(int16_t MyIndex, int16_t YourIndex, int16_t Atag);

    TrafficSet& Traffic() { return Set; }
    RunState& Run() { return RunSt; }
    bool IsRunning() const { return Running; }

    // The members of the control arrays that the program reaches by index.
    enum Member : std::size_t {
        OkButton = 0, // CmdTarvik: OK, then the review's buttons in the order of ReviewChoiceCode
        ChangeThisButton = 1,
        SkipButton = 2,
        ChangeLotButton = 3,
        CancelButton = 4,
        PlansFigure = 7, // LBLTarvik: the figures of the set, and the plan under review
        AircraftFigure = 10,
        AirportsFigure = 11,
        PlanNumber = 12,
        IfFieldBox = 0, // CMBTarvik: the field boxes of the three rows; ValueBox reaches the others
        AndFieldBox = 1,
        ThenFieldBox = 2,
    };

    // The controls, each also named by its array name and index ("CMBTarvik_3").
    std::array<QComboBox*, 6> CMBTarvik{}; // 0-2 field boxes, 3-5 value boxes (ValueCombo)
    std::array<QPushButton*, 5> CmdTarvik{};
    std::array<QLabel*, 14> LBLTarvik{};
    QPlainTextEdit* TxtTarvik = nullptr;
    QMenu* MnuFiles = nullptr;
    QAction* MnuOpen = nullptr;
    QAction* MnuSave = nullptr;
    QAction* MnuCheck = nullptr;
    QAction* MNUDivider = nullptr;
    QAction* MnuExit = nullptr;

    ValueCombo* ValueBox(int index) const; // index 3 to 5

signals:
    // The program is to end now (Exit, a cancelled Open, the window closed).
    void ProgramEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Set-up, each in the file of its part of the window.
    void BuildControls(); // FrmTarvik.cpp
    void SetUpFiles();    // FrmTarvikFiles.cpp
    void SetUpRuleRows(); // FrmTarvikRule.cpp
    void SetUpRun();      // FrmTarvikRun.cpp

    // FrmTarvik.cpp
    void SetBusy(bool busy);
    void ShowOops(const QString& text);
    // A drag or drop of a flight-plan file anywhere on the window; false for other drags.
    bool DragOnWindow(QDropEvent& event);

    // FrmTarvikFiles.cpp
    // What Open must put back when the chosen file can't be read.
    struct OpenedSet {
        std::string File, Folder;
        QString Offered; // the dialog's file name
        bool Loaded = false;
    };
    // The reports of the doubtful lines of one load.
    struct ReportFlood {
        int64_t Shown = 0;
        int64_t NotShown = 0;
        bool Stopped = false; // the user asked for no more
    };
    void Report(ReportFlood& flood, int64_t line, const std::string& text);
    bool ReadyToOpen(); // not ending, no review waiting, unsaved changes dealt with
    OpenedSet PrepareOpen();
    void LoadChosenSet(const OpenedSet& before);
    // Asks the exit question when plans are changed; false when the user's work could not be
    // saved and the caller must stay in the window.
    bool MaySaveChanges();
    bool SaveWithDialog(); // true when the file was written
    void EndProgram();     // ends the walk if one waits, then ProgramEnded

    // FrmTarvikRule.cpp
    // Selects position in field box Index and refills its row, even when it already stood there.
    void PickField(int16_t Index, int position);

    // RunHost, in FrmTarvikRun.cpp
    void RunStarted() override;
    void PlanUnderTest(int32_t index) override;
    void AwaitDecision(std::string_view line) override;
    const ThenChange& ReadThen() override;
    void RunEnded() override;

    Platform P;
    TrafficSet Set;
    RunState RunSt;
    bool Running = false;     // a rule run is walking the plans
    bool LoadStarted = false; // a load has begun since start-up
    bool Ending = false;      // the program is ending
    std::shared_ptr<ReviewState> Review;
};

} // namespace tarvik
