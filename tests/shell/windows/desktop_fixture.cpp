#include "desktop_fixture.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest/QTest>

namespace cendrix::testing {

class ShowCounter : public QObject {
public:
    explicit ShowCounter(DesktopFixture& fixture) : fixture_(fixture) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            windows::DesktopProgram& p = *fixture_.program;
            if (watched == &p.Debug()) fixture_.debugShows.append(p.Debug().Memo1->document()->blockCount());
            if (watched == &p.Chooser()) ++fixture_.chooserShows;
        }
        return false;
    }

private:
    DesktopFixture& fixture_;
};

sim::Machine ThreeDisks() {
    sim::Machine m;
    m.disks = {MakeDisk(0, 200000), MakeDisk(2, 100000, 512, 7), MakeDisk(5, 300000, 4096, 10)};
    m.volumes = {{"C:", 7, 0, 1}, {"E:", 7, 2, 1}, {"F:", 7, 0, 2}};
    return m;
}

QStringList MemoLines(const QPlainTextEdit* memo) { return memo->toPlainText().split(QLatin1Char('\n')); }

QStringList Unstamped(const QStringList& lines) {
    QStringList out;
    for (const QString& line : lines) out.append(line.mid(kStamp.size()));
    return out;
}

DesktopFixture::DesktopFixture(sim::Machine machine, QStringList arguments) : world(std::move(machine)) {
    program = std::make_unique<windows::DesktopProgram>(windows::DesktopInputs{
        storage,
        world.clock,
        launcher,
        [this](int status) {
            ends.append(status);
            if (quitForReal) windows::QuitApplication(status);
        },
        {std::move(arguments), QStringLiteral("/opt/cendrix/bin/cendrix"), TestPlatform()},
        [](const QString& name) {
            return name == QLatin1String("gnome-disks") ? QStringLiteral("/usr/bin/gnome-disks") : QString();
        },
        TestLocale(),
    });
    counter_ = std::make_unique<ShowCounter>(*this);
    program->Debug().installEventFilter(counter_.get());
    program->Chooser().installEventFilter(counter_.get());
}

DesktopFixture::~DesktopFixture() {
    program->Debug().removeEventFilter(counter_.get());
    program->Chooser().removeEventFilter(counter_.get());
}

bool DesktopFixture::RunStartUp() {
    program->Start();
    return WaitFor([this] { return program->Outcome().has_value(); });
}

bool DesktopFixture::StartWithLastDisk() {
    script.Expect(QStringLiteral("TFmChoose"),
                  [this](QWidget*) { QTest::mouseClick(program->Chooser().btContinue, Qt::LeftButton); });
    return RunStartUp() && program->Outcome() == StartUpOutcome::Ready;
}

int DesktopFixture::ExclusiveOpens() {
    int count = 0;
    for (const sim::Request& r : Storage().RequestsOf(sim::Request::Kind::Open)) {
        if ((r.access & platform::GENERIC_WRITE) != 0 && r.share == 0) ++count;
    }
    return count;
}

}  // namespace cendrix::testing
