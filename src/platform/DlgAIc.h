#pragma once
// The file dialog of the window. It keeps its settings and the last file chosen between uses, so
// that Save starts with what Open left in it.

#include <QString>

#include <optional>

class QWidget;

namespace tarvik {

class DlgAIc {
public:
    virtual ~DlgAIc() = default;

    bool CancelError = false; // a cancel counts as an error (Show returns false)
    QString InitDir;          // the folder the dialog starts in
    QString
        Filter; // "description|pattern" pairs joined by "|": "(Flightplans.txt)|FlightPlans.txt"
    QString FileName; // the full path chosen last

    // Shows the dialog; true with FileName set to the path chosen. A cancel returns false when
    // CancelError is set, and true with FileName unchanged otherwise.
    bool ShowOpen(QWidget* parent);
    bool ShowSave(QWidget* parent);

protected:
    enum class Mode { Open, Save };
    // Asks the user; no value when cancelled. Tests replace this.
    virtual std::optional<QString> Ask(Mode mode, QWidget* parent);

private:
    bool Show(Mode mode, QWidget* parent);
};

} // namespace tarvik
