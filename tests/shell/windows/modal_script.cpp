#include "modal_script.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QtTest/QTest>
#include <deque>
#include <gtest/gtest.h>

namespace cendrix::testing {

namespace {
constexpr int kPollMs = 10;
// A modal window that no step answers is closed after this long, so that a
// failing test fails instead of hanging.
constexpr int kUnansweredMs = 5000;
}  // namespace

QString ModalName(const QWidget* widget) {
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                          : widget->objectName();
}

struct ModalScript::State {
    struct Step {
        QString name;
        std::function<void(QWidget*)> act;
    };
    std::deque<Step> steps;
    bool stopped = false;
    QPointer<QWidget> unanswered;
    QElapsedTimer unansweredFor;

    static void Schedule(const std::shared_ptr<State>& self) {
        QTimer::singleShot(kPollMs, [self] { Poll(self); });
    }

    static void Poll(const std::shared_ptr<State>& self) {
        if (self->stopped) return;
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            self->unanswered = nullptr;
            Schedule(self);
            return;
        }
        if (!self->steps.empty() && ModalName(modal) == self->steps.front().name) {
            Step step = std::move(self->steps.front());
            self->steps.pop_front();
            self->unanswered = nullptr;
            // The next poll is armed before acting: the step may block in a
            // nested modal loop, where the following steps must still run.
            Schedule(self);
            step.act(modal);
            return;
        }
        if (self->unanswered != modal) {
            self->unanswered = modal;
            self->unansweredFor.start();
        } else if (self->unansweredFor.elapsed() > kUnansweredMs) {
            ADD_FAILURE() << "unexpected modal window " << ModalName(modal).toStdString()
                          << (self->steps.empty() ? std::string(" (no step left)")
                                                  : " (expected " + self->steps.front().name.toStdString() + ")");
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
            else modal->close();
            self->unanswered = nullptr;
        }
        Schedule(self);
    }
};

ModalScript::ModalScript() : state_(std::make_shared<State>()) { State::Schedule(state_); }

ModalScript::~ModalScript() {
    state_->stopped = true;
    EXPECT_EQ(state_->steps.size(), 0u) << "modal windows expected but never shown";
}

void ModalScript::Expect(const QString& name, std::function<void(QWidget*)> act) {
    state_->steps.push_back({name, std::move(act)});
}

int ModalScript::Pending() const { return static_cast<int>(state_->steps.size()); }

bool WaitFor(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(kPollMs);
    }
    return true;
}

}  // namespace cendrix::testing
