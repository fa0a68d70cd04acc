#include "window/FrmTarvik.h"

#include "platform/DlgAIc.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "run/SetCheck.h"
#include "traffic/Files.h"
#include "traffic/Load.h"
#include "traffic/QtPaths.h"
#include "traffic/Save.h"
#include "window/Bytes.h"
#include "window/CheckSetList.h"
#include "window/Texts.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>

namespace tarvik {

namespace {

const QString PathSection = QStringLiteral("PlansPath");
const QString FolderKey = QStringLiteral("Folder");
const QString PlansFilter =
    QStringLiteral("(Flightplans.txt)|FlightPlans.txt|(FlightPlans_*.txt)|FlightPlans_*.txt");

// A doubtful line as its message shows it. A line of many thousand characters would make a box
// far taller than the screen, whose layout alone takes seconds: only its start is shown.
QString ReportText(int64_t line, const std::string& text) {
    constexpr std::size_t Shown = 2000;
    if (text.size() <= Shown)
        return texts::ProblemText(line, ToQ(text));
    return texts::ProblemText(line, ToQ(std::string_view(text).substr(0, Shown))) +
           QStringLiteral("...\n(%1 more characters)").arg(text.size() - Shown);
}

} // namespace

void FrmTarvik::SetUpFiles() {
    connect(MnuOpen, &QAction::triggered, this, [this] { MnuOpen_Click(); });
    connect(MnuSave, &QAction::triggered, this, [this] { MnuSave_Click(); });
    connect(MnuCheck, &QAction::triggered, this, [this] { MnuCheck_Click(); });
    connect(MnuExit, &QAction::triggered, this, [this] { MnuExit_Click(); });
}

void FrmTarvik::MnuOpen_Click() {
    if (!ReadyToOpen())
        return;
    const OpenedSet before = PrepareOpen();
    if (!P.Dialog->ShowOpen(this)) {
        EndProgram();
        return;
    }
    LoadChosenSet(before);
}

void FrmTarvik::OpenPlansFile(const QString& path) {
    if (!ReadyToOpen())
        return;
    const OpenedSet before = PrepareOpen();
    P.Dialog->FileName = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    LoadChosenSet(before);
}

// One box for each doubtful line, until the user stops them: Esc or the close button on any of
// them, or the button that the boxes after the first offer. A file that is no flight-plan text can
// hold thousands of such lines.
void FrmTarvik::Report(ReportFlood& flood, int64_t line, const std::string& text) {
    if (flood.Stopped) {
        ++flood.NotShown;
        return;
    }
    const Answer answer = P.Messages->Show(this, ReportText(line, text), texts::Oops,
                                           flood.Shown++ > 0 ? Buttons::OkStop : Buttons::Ok);
    flood.Stopped = answer == Answer::Stop || answer == Answer::Dismissed;
}

void FrmTarvik::MnuCheck_Click() {
    if (Ending)
        return;
    if (IsRunning()) {
        ShowOops(texts::CheckDuringRun);
        return;
    }
    if (LoadStarted && !Set.PlansWhole) {
        ShowOops(texts::PlansNotWhole);
        return;
    }
    std::vector<Diagnostic> found;
    const DiagnosticSink keep = [&found](const Diagnostic& d) { found.push_back(d); };
    SetChecker checker;
    std::vector<Diagnostic> listed; // the lists' own, after the plans as on the command line
    checker.BeginSet(Set, [&listed](const Diagnostic& d) { listed.push_back(d); });
    checker.CheckLines(Set, 1, keep);
    std::move(listed.begin(), listed.end(), std::back_inserter(found));
    // The lines of the set as a save writes them, to show the one of a row chosen.
    std::vector<std::string_view> lines;
    SavedLines saved(Set);
    for (std::string_view line; saved.Next(line);)
        lines.push_back(line);
    CheckSetList list(
        std::move(found), Set.PlansFile,
        [this, lines](int64_t line) {
            if (line >= 1 && static_cast<std::size_t>(line) <= lines.size())
                TxtTarvik->setPlainText(ToQ(lines[static_cast<std::size_t>(line - 1)]));
        },
        this);
    list.exec();
}

bool FrmTarvik::ReadyToOpen() {
    if (Ending)
        return false;
    if (IsRunning()) {
        ShowOops(texts::OpenDuringRun);
        return false;
    }
    return MaySaveChanges();
}

FrmTarvik::OpenedSet FrmTarvik::PrepareOpen() {
    const OpenedSet before{Set.PlansFile, Set.PlansFolder, P.Dialog->FileName, LoadStarted};
    Set.PlansChanged = false;
    Set.PlansFolder = PathFromQt(P.Settings->Get(PathSection, FolderKey));
    DlgAIc& dialog = *P.Dialog;
    dialog.CancelError = true;
    dialog.InitDir = QtPath(Set.PlansFolder);
    dialog.Filter = PlansFilter;
    return before;
}

void FrmTarvik::LoadChosenSet(const OpenedSet& before) {
    DlgAIc& dialog = *P.Dialog;
    // The set belongs to the file chosen, even when it can't be read: Save offers it then.
    Set.PlansFile = PathFromQt(dialog.FileName);
    Set.PlansFolder = GetFolder(Set.PlansFile);
    LoadStarted = true;
    SetBusy(true);
    ReportFlood flood;
    const LoadResult result =
        OpenSet(Set.PlansFile, Set, [this, &flood](int64_t line, const std::string& text) {
            Report(flood, line, text);
        });
    SetBusy(false);
    if (flood.NotShown > 0)
        ShowOops(texts::ReportsNotShown(flood.NotShown));
    if (!result.PlansRead && result.Stop.Line == 0 && result.Stop.File == Set.PlansFile) {
        // The file could not be read at all: the set in the tables is still the one opened
        // before, and it belongs where it came from: Save offers its file again, not the one
        // that could not be read.
        Set.PlansFile = before.File;
        Set.PlansFolder = before.Folder;
        dialog.FileName = before.Offered;
        LoadStarted = before.Loaded;
    }

    if (result.PlansRead)
        LBLTarvik[PlansFigure]->setText(QString::number(Set.LastPlan + 1));
    if (result.AircraftRead)
        LBLTarvik[AircraftFigure]->setText(QString::number(Set.LastAircraft + 1));
    if (result.Complete)
        LBLTarvik[AirportsFigure]->setText(QString::number(Set.LastAirport + 1));

    if (!result.Complete) {
        const LoadStop& stop = result.Stop;
        ShowOops(texts::LoadStopped(QtPath(stop.File), stop.Line,
                                    QString::fromLocal8Bit(stop.Reason.c_str())));
        return;
    }
    PickField(0, 0);
    PickField(1, 2);
    PickField(2, 3);
}

void FrmTarvik::MnuSave_Click() {
    if (Ending)
        return;
    SaveWithDialog();
}

void FrmTarvik::MnuExit_Click() {
    if (Ending)
        return;
    if (MaySaveChanges())
        EndProgram();
}

bool FrmTarvik::MaySaveChanges() {
    if (!Set.PlansChanged)
        return true;
    switch (P.Messages->Show(this, texts::SaveQuestion, texts::Warning, Buttons::YesNo)) {
    case Answer::Yes:
        return SaveWithDialog();
    case Answer::No:
        return true;
    default: // the question dismissed: stay, nothing saved and nothing lost
        return false;
    }
}

bool FrmTarvik::SaveWithDialog() {
    if (!LoadStarted) {
        ShowOops(texts::NothingToSave);
        return false;
    }
    if (!Set.PlansWhole) {
        ShowOops(texts::PlansNotWhole);
        return false;
    }
    DlgAIc& dialog = *P.Dialog;
    if (!dialog.ShowSave(this) || dialog.FileName.isEmpty())
        return false;
    const std::string target = PathFromQt(dialog.FileName);
    const auto overwrite = [this, &dialog] {
        const bool yes = P.Messages->Show(this, texts::ChangedByOthers(dialog.FileName),
                                          texts::Warning, Buttons::NoYes) == Answer::Yes;
        if (yes)
            SetBusy(true);
        return yes;
    };
    SetBusy(!ChangedSince(Set.PlansStamp, target));
    const SaveResult saved = SaveSet(Set, target, overwrite);
    SetBusy(false);
    if (saved.ChangedByOthers)
        return false;
    Set.PlansFile = target;
    if (!saved.Ok) {
        ShowOops(texts::SaveFailed(dialog.FileName, QString::fromStdString(saved.Error)));
        return false;
    }
    if (!P.Settings->Set(PathSection, FolderKey, QtPath(Set.PlansFolder))) {
        ShowOops(texts::FolderNotRemembered);
        return true;
    }
    Set.PlansChanged = false;
    return true;
}

void FrmTarvik::EndProgram() {
    Ending = true;
    RunSt.Abandoned = true;
    // Wakes a review wait that sleeps until the next event, so that it sees Abandoned at once.
    QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    hide();
    emit ProgramEnded();
}

void FrmTarvik::closeEvent(QCloseEvent* event) {
    if (Ending) {
        event->accept();
        return;
    }
    if (!MaySaveChanges()) {
        event->ignore();
        return;
    }
    event->accept();
    EndProgram();
}

} // namespace tarvik
