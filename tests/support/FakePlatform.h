#pragma once
// Stand-ins for the dialogs, the settings store and the random source, so that window tests never
// block on a modal dialog and never touch the user's settings.

#include "platform/DlgAIc.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/SettingsStore.h"
#include "run/RandomId.h"

#include <QMap>
#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <vector>

namespace tarvik::testing {

// Answers the file dialog from a queue: a path, or std::nullopt for a cancel. An empty queue
// cancels.
class FakeDialog : public DlgAIc {
public:
    struct Shown {
        bool Open;        // the open form, else the save form
        bool CancelError; // the dialog's settings when it was shown
        QString InitDir;
        QString Filter;
        QString FileName;
    };
    std::deque<std::optional<QString>> Answers;
    std::vector<Shown> Log;
    // Runs when the dialog is shown, before it answers (to act during a modal dialog).
    std::function<void()> OnShow;

protected:
    std::optional<QString> Ask(Mode mode, QWidget*) override {
        Log.push_back({mode == Mode::Open, CancelError, InitDir, Filter, FileName});
        if (OnShow)
            OnShow();
        if (Answers.empty())
            return std::nullopt;
        const bool cancel = !Answers.front().has_value();
        const QString path = cancel ? QString() : *Answers.front();
        Answers.pop_front();
        if (cancel)
            return std::nullopt;
        return path;
    }
};

// Records every message box and answers Yes/No boxes from a queue (Yes when it is empty), OK boxes
// with OK; Script, when set, may answer any box first.
class FakeMessages : public MessageBoxes {
public:
    struct Shown {
        QString Text;
        QString Title;
        Buttons Kind;
    };
    std::vector<Shown> Log;
    std::deque<Answer> Answers;
    std::function<void()> OnShow;
    std::function<std::optional<Answer>(const Shown&)> Script;

    Answer Show(QWidget*, const QString& text, const QString& title, Buttons buttons) override {
        Log.push_back({text, title, buttons});
        if (OnShow)
            OnShow();
        if (Script)
            if (const std::optional<Answer> answer = Script(Log.back()))
                return *answer;
        if (buttons == Buttons::Ok || buttons == Buttons::OkStop)
            return Answer::Ok;
        if (Answers.empty())
            return Answer::Yes;
        const Answer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    QStringList Texts() const {
        QStringList texts;
        for (const auto& shown : Log)
            texts << shown.Text;
        return texts;
    }
};

class FakeSettings : public SettingsStore {
public:
    QMap<QString, QString> Values; // "section/key" -> value
    bool FailWrites = false;

    QString Get(const QString& section, const QString& key) override {
        return Values.value(section + '/' + key);
    }
    bool Set(const QString& section, const QString& key, const QString& value) override {
        if (FailWrites)
            return false;
        Values[section + '/' + key] = value;
        return true;
    }
};

// A seeded generator: the same draws in every run of a test.
class FakeRandom : public RandomSource {
public:
    std::mt19937_64 Engine{12345};
    int Reseeds = 0;
    void Reseed() override { ++Reseeds; }
    double Next() override { return static_cast<double>(Engine() >> 11) * 0x1.0p-53; }
};

struct FakePlatform {
    FakeDialog Dialog;
    FakeMessages Messages;
    FakeSettings Settings;
    FakeRandom Random;
    Platform Get() { return {&Dialog, &Messages, &Settings, &Random}; }
};

} // namespace tarvik::testing
