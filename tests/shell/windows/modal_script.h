// Answers the modal windows a test expects, in order, from timers that run
// inside the modal windows' own event loops.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

namespace cendrix::testing {

class ModalScript {
public:
    ModalScript();
    ~ModalScript();

    // The next modal window must be `name` (its object name, or its class
    // name when it has none); `act` inspects it and answers it. A step may
    // itself open further modal windows, which the following steps answer.
    void Expect(const QString& name, std::function<void(QWidget*)> act);

    // Steps that have not run yet.
    int Pending() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

// Processes events until `done` holds or `ms` milliseconds have passed.
bool WaitFor(const std::function<bool()>& done, int ms = 10000);

// The name a modal window is matched by.
QString ModalName(const QWidget* widget);

}  // namespace cendrix::testing
