#include "monitor_universe.h"

void applyMonitorRequest(const WindowEngines& engines, const MonitorRequest& request, const MainWindowGestures& gestures) {
    // The fields are locked while receiving: stop first, as a user would have to.
    if (engines.dmx.receiveEndpoint != kInvalidSocket) gestures.click(kDmxStartRxButton);
    gestures.chooseEntry(kDmxProtocolSelector, 0);  // sACN
    gestures.typeText(kDmxUniverseField, std::to_string(request.universe));
    gestures.typeText(kDmxLocalIpv4Field, request.localIpv4);
    gestures.click(kDmxStartRxButton);
}
