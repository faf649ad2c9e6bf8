// Grabs the Network window while it scans, for the README and tools/window-screenshots.sh:
//   network_window_snapshot <out.png>                  a small network sent over loopback,
//                                                       with Desk C and the focus remote
//   network_window_snapshot <out.png> <local> <seconds>  whatever reaches local (network_peer
//                                                         in another namespace), after polling
// Run it in a private network namespace: it binds both DMX ports.
#include <QApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "ui/qt/qt_network_window.h"
#include "ui/qt/window_host.h"
#include "tools/screenshots/picture_sources.h"
#include "ui/tests/network_traffic.h"

namespace {

void runEventLoopFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// Four seconds at 44 rounds a second: every rate has been measured and the focus remote,
// silent since its first half second, is lost.
void sendOverLoopback(NetworkWindow& window) {
    const SocketHandle sender = openUdpSocket();
    Ipv4Address loopback;
    parseIpv4("127.0.0.1", loopback);
    for (int round = 1; round <= 176; ++round) {
        const auto sequence = static_cast<uint8_t>(round);
        network_traffic::sendRound(sender, loopback, sequence);
        std::vector<std::vector<uint8_t>> more{picture_sources::deskC(sequence)};
        if (round <= picture_sources::kFocusRemoteRounds) more.push_back(picture_sources::focusRemote(sequence));
        for (const auto& bytes : more) sendDatagram(sender, bytes.data(), bytes.size(), loopback, kSacnPort);
        std::this_thread::sleep_for(std::chrono::microseconds(22727));
        handleNetworkTick(window);
        if (round == 30) selectNetworkRow(window.engines, kNetworkSourcesTable, 1);
        QApplication::processEvents();
    }
    closeSocket(sender);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) return 2;
    QApplication application(argc, argv);
    prepareApplication();
    startSocketLibrary();
    DmxUniverseState state;
    const bool live = argc == 4;
    NetworkWindowOptions options;
    options.startTimer = live;
    std::unique_ptr<NetworkWindow> window = createNetworkWindow(state, options);
    setControlText(window->widgets, kNetworkLocalIpv4Field, live ? argv[2] : "127.0.0.1");
    setControlText(window->widgets, kNetworkUniversesField, "1-8");
    window->host->show();
    handleNetworkCommand(*window, kNetworkScanButton, kClickNotification);
    if (live) {
        handleNetworkCommand(*window, kNetworkPollButton, kClickNotification);
        runEventLoopFor(1.5);
        selectNetworkRow(window->engines, kNetworkSourcesTable, 0);
        runEventLoopFor(std::atof(argv[3]) - 1.5);
    } else {
        sendOverLoopback(*window);
    }
    QApplication::processEvents();
    const bool saved = window->host->grab().save(QString::fromLocal8Bit(argv[1]));
    window.reset();
    stopSocketLibrary();
    return saved ? 0 : 1;
}
