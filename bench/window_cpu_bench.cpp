// CPU time of the window process: idle, and while a peer sends a full universe of
// changing levels at 44 packets/s, with the DMX page (level table visible) and with the
// MIDI page in front. Runs the real window with its 10 ms timer and event loop.
// Two floors run in the same rounds: an empty 10 ms timer in place of the tick, and that
// timer plus a bare widget over the level column that Qt repaints 44 times a second
// (one fill, nothing else), which is what any repaint at that rate costs here. A
// shared machine drifts, so each of those three runs in several rounds and the median
// is reported with the spread.
//
// Run it where a display exists, inside a private network namespace, for example:
//   tools/in-private-netns.sh xvfb-run -a build/bench/window_cpu_bench [seconds] [rounds] [idle]
// (QT_QPA_PLATFORM=offscreen works too and leaves out the X server round trips.)
#include <sys/resource.h>

#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <QTableView>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "core/packet_codec.h"
#include "core/tests/packet_bytes.h"
#include "net/socket/socket_layer.h"
#include "ui/qt/level_table_model.h"
#include "ui/qt/window_host.h"
#include "ui/qt/qt_main_window.h"

namespace {

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void runEventLoopFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// A console on loopback sending universe 100 with every level changing every packet.
// Returns its own CPU seconds, which are not the window's.
double sendUniverse(double seconds, int packetsPerSecond, std::atomic<long>& sent) {
    const double start = threadCpuSeconds();
    const SocketHandle socket = openUdpSocket();
    Ipv4Address loopback;
    parseIpv4("127.0.0.1", loopback);
    bindSocket(socket, loopback, 0);
    DmxUniverseState universe;
    universe.universe = 100;
    const auto period = std::chrono::nanoseconds(1'000'000'000 / packetsPerSecond);
    auto due = std::chrono::steady_clock::now();
    const auto end = due + std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::duration<double>(seconds));
    for (int packet = 0; due < end; ++packet) {
        for (int slot = 0; slot < kDmxSlotCount; ++slot) universe.levels[slot] = static_cast<uint8_t>(slot + packet * 7);
        nextSequence(universe);
        const std::vector<uint8_t> bytes = packetBytes(buildDmxPacket(universe));
        if (sendDatagram(socket, bytes.data(), bytes.size(), loopback, kSacnPort) > 0) ++sent;
        due += period;
        std::this_thread::sleep_until(due);
    }
    closeSocket(socket);
    return threadCpuSeconds() - start;
}

struct Figure {
    double cpuPercent;
    long packets;
    long long reportedCells;
};

Figure measure(MainWindow& window, double seconds, int packetsPerSecond) {
    const uint64_t rxBefore = window.engines.dmx.rxCount;
    const long long cellsBefore = window.widgets.levelModel->reportedCellCount();
    std::atomic<long> sent{0};
    double senderCpu = 0;
    const double cpuBefore = processCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::thread sender;
    if (packetsPerSecond > 0) sender = std::thread([&] { senderCpu = sendUniverse(seconds, packetsPerSecond, sent); });
    runEventLoopFor(seconds);
    if (sender.joinable()) sender.join();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double cpu = processCpuSeconds() - cpuBefore - senderCpu;
    return {100.0 * cpu / wall, static_cast<long>(window.engines.dmx.rxCount - rxBefore),
            window.widgets.levelModel->reportedCellCount() - cellsBefore};
}

void report(const char* what, const Figure& figure) {
    std::printf("%-44s %6.2f %% of one core   %5ld packets shown   %7lld cells repainted\n", what, figure.cpuPercent,
                figure.packets, figure.reportedCells);
    std::fflush(stdout);
}

void reportRounds(const char* what, std::vector<Figure> figures) {
    std::sort(figures.begin(), figures.end(), [](const Figure& a, const Figure& b) { return a.cpuPercent < b.cpuPercent; });
    const Figure& median = figures[figures.size() / 2];
    std::printf("%-44s %6.2f %% of one core   (%zu rounds: %.2f-%.2f %%)   %lld cells per packet\n", what,
                median.cpuPercent, figures.size(), figures.front().cpuPercent, figures.back().cpuPercent,
                median.packets > 0 ? median.reportedCells / median.packets : 0LL);
    std::fflush(stdout);
}

// The repaint floor: one fill of a strip the size of the level column's visible cells.
class BareStrip : public QWidget {
public:
    explicit BareStrip(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), (++paints_ % 2) != 0 ? Qt::black : Qt::darkGray);
    }

private:
    int paints_ = 0;
};

// Runs `measureOnce` with the window's tick replaced by an empty 10 ms timer.
template <typename Measure>
Figure withEmptyTimer(MainWindow& window, Measure measureOnce) {
    window.timer->stop();
    QTimer empty;
    empty.setTimerType(Qt::PreciseTimer);
    empty.setInterval(kTickPeriodMs);
    QObject::connect(&empty, &QTimer::timeout, [] {});
    empty.start();
    const Figure figure = measureOnce();
    window.timer->start();
    return figure;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    const int rounds = std::max(argc > 2 ? std::atoi(argv[2]) : 5, 1);
    const bool idleOnly = argc > 3 && std::string(argv[3]) == "idle";  // for profiling the tick
    QApplication application(argc, argv);
    prepareApplication();
    startSocketLibrary();
    DmxUniverseState state;
    generateCid(state);
    {
        std::unique_ptr<MainWindow> window = createMainWindow(state);
        window->host->show();
        runEventLoopFor(1.0);  // settle: first paints, frame, fonts

        // Receive on loopback only: the group is joined there and nothing leaves the machine.
        window->engines.dmxView.setControlText(103, "127.0.0.1");
        handleWindowCommand(*window, 105, 0);
        runEventLoopFor(0.5);

        std::printf("window CPU, %.0f s per figure, platform %s\n", seconds, qPrintable(QApplication::platformName()));
        QTableView& table = *window->widgets.levelTable;
        const QRect levelColumn = table.visualRect(table.model()->index(0, 1)).united(
            table.visualRect(table.model()->index(table.rowAt(table.viewport()->height() - 1), 1)));
        std::vector<Figure> timerOnly, bareRepaint, dmxPage;
        for (int round = 0; round < rounds; ++round) {
            timerOnly.push_back(withEmptyTimer(*window, [&] { return measure(*window, seconds, 0); }));
            if (idleOnly) continue;
            bareRepaint.push_back(withEmptyTimer(*window, [&] {
                BareStrip strip(table.viewport());
                strip.setGeometry(levelColumn);
                strip.show();
                QTimer repaint;
                repaint.setTimerType(Qt::PreciseTimer);
                repaint.setInterval(1000 / 44);
                QObject::connect(&repaint, &QTimer::timeout, [&strip] { strip.update(); });
                repaint.start();
                return measure(*window, seconds, 0);
            }));
            dmxPage.push_back(measure(*window, seconds, 44));
        }
        reportRounds("floor: empty 10 ms timer instead of tick", timerOnly);
        if (!idleOnly) {
            reportRounds("floor: that timer + a bare strip, 44 fills/s", bareRepaint);
            reportRounds("44 packets/s, DMX page (table visible)", dmxPage);
        }
        report("idle, receiving, nothing arrives", measure(*window, seconds, 0));
        if (!idleOnly) {
            handleWindowCommand(*window, 202, 0);
            report("44 packets/s, MIDI page (table hidden)", measure(*window, seconds, 44));
            handleWindowCommand(*window, 201, 0);
            handleWindowCommand(*window, 105, 0);  // Stop RX
            report("idle after receiving (status age ticks)", measure(*window, seconds, 0));
        }
        window->host->close();
    }
    stopSocketLibrary();
    return 0;
}
