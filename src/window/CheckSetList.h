#pragma once
// The list that Files, Check Set shows: what the traffic compiler would trip on in the open set,
// one row a problem, sorted by a click on a column's head, copied as text in the form the command
// line writes. Choosing a row of a flight-plan line shows that line in the window's text box.

#include "run/SetCheck.h"

#include <QDialog>

#include <functional>
#include <vector>

class QTreeWidget;

namespace tarvik {

class CheckSetList : public QDialog {
    Q_OBJECT
public:
    // show(line) is called with the number of the flight-plan line of a row chosen.
    CheckSetList(std::vector<Diagnostic> diagnostics, const std::string& plansFile,
                 std::function<void(int64_t line)> show, QWidget* parent = nullptr);

    // The rows as text, in the order shown, one a line.
    QString Text() const;
    QTreeWidget* Rows = nullptr;

private:
    std::vector<Diagnostic> Found;
};

} // namespace tarvik
