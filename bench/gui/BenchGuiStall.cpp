// How long the window's event loop stalls while the real main window reads a simulated radio,
// fills the family's settings page and writes it back with Set. A 1 ms timer measures the largest
// gap between its firings; a window that keeps painting keeps that gap small. The connection waits
// run shortened, the read and the write at full length.
//
//   bench_gui_stall            (offscreen unless QT_QPA_PLATFORM says otherwise)

#include "app/MainDlg.h"
#include "base/Prompts.h"
#include "base/Timing.h"
#include "connect/pages/LinkModeDlg.h"
#include "connect/pages/Page.h"
#include "connect/pages/Pages.h"
#include "connect/pages/SettingsPage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr double kConnectionScale = 0.05;
constexpr int kRoadLimitMs = 180000;

// Messages other than the end of a save mean the road went wrong; they are printed, not shown.
// The export offered after a save is declined.
class PrintingPrompts : public IPrompts {
public:
    void ShowMessage(const std::string& caption, const std::string& text, PromptIcon) override {
        if (text == "保存完毕！") {
            ++saved;
            return;
        }
        std::fprintf(stderr, "message: %s: %s\n", caption.c_str(), text.c_str());
        ++count;
    }
    int count = 0;
    int saved = 0;
};

// The largest gap between two firings of a 1 ms timer since the last Reset().
class CStallMeter {
public:
    CStallMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longestNs = std::max(m_longestNs, now - m_lastNs);
            m_lastNs = now;
            ++m_ticks;
        });
        m_clock.start();
        m_timer.start();
    }
    void Reset() {
        m_lastNs = m_clock.nsecsElapsed();
        m_longestNs = 0;
        m_ticks = 0;
    }
    double LongestMs() const { return static_cast<double>(m_longestNs) / 1e6; }
    long Ticks() const { return m_ticks; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_longestNs = 0;
    long m_ticks = 0;
};

class CSimProcess {
public:
    explicit CSimProcess(const QStringList& args) {
        m_process.setProgram(QStringLiteral(ORVCONF_SIM));
        m_process.setArguments(args);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (m_process.waitForStarted(30000) && m_process.waitForReadyRead(30000)) {
            m_port = QString::fromLocal8Bit(m_process.readLine()).trimmed();
            if (m_port.startsWith(QLatin1String("/dev/"))) {
                m_port = m_port.mid(5);
            }
        }
    }
    ~CSimProcess() {
        m_process.kill();
        m_process.waitForFinished(30000);
    }
    CSimProcess(const CSimProcess&) = delete;
    CSimProcess& operator=(const CSimProcess&) = delete;
    QString Port() const { return m_port; }

private:
    QProcess m_process;
    QString m_port;
};

struct RoadResult {
    bool ok = false;
    double readStallMs = 0; // with the settings page's creation and fill
    double readSeconds = 0;
    long readTicks = 0;
    double setStallMs = -1; // a whole Set, from the click to "保存完毕！"
    double setSeconds = 0;
    double roadStallMs = 0;
};

// Runs one road from a click on familyButton until the home page is back. linkModeRadio names the
// radio button to pick in the connection-method dialog (nullptr: no dialog expected).
RoadResult RunRoad(const QStringList& simArgs, const char* familyButton, const char* linkModeRadio,
                   bool trafficLog) {
    RoadResult result;
    CSimProcess sim(simArgs);
    if (sim.Port().isEmpty()) {
        std::fprintf(stderr, "orvconf-sim did not start\n");
        return result;
    }
    Timing::SetScale(kConnectionScale);
    CMainDlg main;
    if (!trafficLog) {
        main.Session().SetTrafficLog(nullptr); // the window keeps one from its start
    }
    main.show();
    QComboBox* combo = main.findChild<QComboBox*>(QStringLiteral("portCombo"));
    int index = combo->findText(sim.Port());
    if (index < 0) {
        combo->addItem(sim.Port());
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);

    CStallMeter meter;
    QElapsedTimer readClock;
    QEventLoop loop;
    bool reading = false;
    bool finished = false;
    double roadStall = 0;
    QObject::connect(&main.Session(), &CRadioSession::readStarted, &loop, [&](RadioFamily) {
        // The read itself runs at its full length.
        roadStall = std::max(roadStall, meter.LongestMs());
        Timing::SetScale(1.0);
        meter.Reset();
        readClock.start();
        reading = true;
    });
    // Once the read has shown the settings page, Set writes it back unchanged.
    QElapsedTimer setClock;
    bool writing = false;
    QObject::connect(&main.Session(), &CRadioSession::writeFinished, &loop, [&](RadioFamily) {
        result.setStallMs = meter.LongestMs();
        result.setSeconds = setClock.elapsed() / 1000.0;
        if (CSettingsPage* page = main.Pages().SettingsPage(main.Family())) {
            page->findChild<QAbstractButton*>(QStringLiteral("exitButton"))->click();
        }
    });
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        CSettingsPage* page = main.Pages().SettingsPage(main.Family());
        if (reading && !writing && page != nullptr && page->isVisible()) {
            result.readStallMs = meter.LongestMs();
            result.readTicks = meter.Ticks();
            result.readSeconds = readClock.elapsed() / 1000.0;
            roadStall = std::max(roadStall, result.readStallMs);
            writing = true;
            meter.Reset();
            setClock.start();
            page->findChild<QAbstractButton*>(QStringLiteral("setButton"))->click();
            return;
        }
        if (reading && main.isVisible()) {
            finished = true;
            loop.quit();
        }
    });
    watch.start();
    QTimer::singleShot(kRoadLimitMs, &loop, &QEventLoop::quit);

    QTimer answerDialog;
    if (linkModeRadio != nullptr) {
        answerDialog.setInterval(5);
        QObject::connect(&answerDialog, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != &main.Pages().LinkModeDlg()) {
                return;
            }
            answerDialog.stop();
            modal->findChild<QAbstractButton*>(QLatin1String(linkModeRadio))->click();
            modal->findChild<QAbstractButton*>(QStringLiteral("okButton"))->click();
        });
        answerDialog.start();
    }
    QTimer::singleShot(0, &main, [&] {
        meter.Reset();
        main.findChild<QAbstractButton*>(QLatin1String(familyButton))->click();
    });
    loop.exec();

    result.ok = finished;
    if (!writing) {
        result.readStallMs = meter.LongestMs();
        result.readTicks = meter.Ticks();
        result.readSeconds = readClock.isValid() ? readClock.elapsed() / 1000.0 : 0;
    }
    result.roadStallMs = std::max({roadStall, result.readStallMs, result.setStallMs});
    Timing::SetScale(1.0);
    return result;
}

void Print(const char* name, const RoadResult& r) {
    if (!r.ok) {
        std::printf("%-22s did not finish\n", name);
        return;
    }
    std::printf("%-22s longest stall during the read %6.1f ms (read %.1f s, %ld timer ticks); "
                "whole road %6.1f ms\n",
                name, r.readStallMs, r.readSeconds, r.readTicks, r.roadStallMs);
    if (r.setStallMs >= 0) {
        std::printf("%-22s longest stall during a whole Set %6.1f ms (write %.1f s)\n", name,
                    r.setStallMs, r.setSeconds);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The simulated radios started here list themselves in a registry of this run only, so that
    // other programs' simulators are not probed (nor this run's by them).
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QApplication app(argc, argv);
    PrintingPrompts prompts;
    Prompts::Install(&prompts);

    // Paced at the line rate, as a real radio talks.
    const QStringList orvSim{"--family", "orv", "--rate", "9600", "--announce-delay", "300"};
    const QStringList qxSim{"--family", "qx", "--rate", "9600", "--announce-delay", "300"};
    const RoadResult orv = RunRoad(orvSim, "orvButton", nullptr, true);
    const RoadResult qx = RunRoad(qxSim, "qxButton", "powerOnRadio", true);
    const RoadResult orvPlain = RunRoad(orvSim, "orvButton", nullptr, false);
    const RoadResult qxPlain = RunRoad(qxSim, "qxButton", "powerOnRadio", false);

    std::printf(
        "bench_gui_stall: targets: under 50 ms for a read, under 16 ms for the page and a Set\n");
    Print("ORV, with traffic log", orv);
    Print("QX, with traffic log", qx);
    Print("ORV, without log", orvPlain);
    Print("QX, without log", qxPlain);
    Prompts::Install(nullptr);
    const bool ok = orv.ok && qx.ok && orvPlain.ok && qxPlain.ok && orv.setStallMs >= 0 &&
                    qx.setStallMs >= 0 && prompts.count == 0;
    return ok ? 0 : 1;
}
