// Grabs the Network window while it scans a small network sent over loopback, for
// tools/window-screenshots.sh:   network_window_snapshot <out.png>
// Run it in a private network namespace: it binds both DMX ports on 127.0.0.1.
#include <QApplication>
#include <QPixmap>
#include <chrono>
#include <thread>

#include "ui/qt/qt_network_window.h"
#include "ui/qt/window_host.h"
#include "ui/tests/network_traffic.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    QApplication application(argc, argv);
    prepareApplication();
    startSocketLibrary();
    DmxUniverseState state;
    NetworkWindowOptions options;
    options.startTimer = false;
    std::unique_ptr<NetworkWindow> window = createNetworkWindow(state, options);
    setControlText(window->widgets, kNetworkLocalIpv4Field, "127.0.0.1");
    setControlText(window->widgets, kNetworkUniversesField, "1-8");
    window->host->show();
    handleNetworkCommand(*window, kNetworkScanButton, kClickNotification);
    const SocketHandle sender = openUdpSocket();
    Ipv4Address loopback;
    parseIpv4("127.0.0.1", loopback);
    // A little over two seconds at 44 rounds a second: every rate has been measured.
    for (int round = 1; round <= 100; ++round) {
        network_traffic::sendRound(sender, loopback, static_cast<uint8_t>(round));
        std::this_thread::sleep_for(std::chrono::microseconds(22727));
        handleNetworkTick(*window);
        if (round == 30) selectNetworkRow(window->engines, kNetworkSourcesTable, 1);
        QApplication::processEvents();
    }
    closeSocket(sender);
    QApplication::processEvents();
    const bool saved = window->host->grab().save(QString::fromLocal8Bit(argv[1]));
    window.reset();
    stopSocketLibrary();
    return saved ? 0 : 1;
}
