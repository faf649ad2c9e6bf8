#pragma once
// One engine, its transmit universe and a table-backed view, as the window would hold them.
#include <gtest/gtest.h>

#include <string>

#include "net/dmx/dmx_network_engine.h"
#include "table_view.h"

struct EngineFixture : ::testing::Test {
    DmxNetworkEngine engine;
    DmxUniverseState state;
    TableView table;
    DmxView view = table.view();

    ~EngineFixture() override {
        // Close whatever a test left open, as the window does on close.
        stopTransmit(engine, state, view, 1);
        stopReceive(engine, view);
    }

    // The two lines of the DMX status text as the window would show them at time now.
    std::string firstStatusLine(uint64_t now = 1) {
        refreshDmxStatus(engine, view, now);
        const std::string& text = table.status();
        return text.substr(0, text.find("\r\n"));
    }
    std::string message(uint64_t now = 1) {
        refreshDmxStatus(engine, view, now);
        const std::string& text = table.status();
        const std::size_t split = text.find("\r\n");
        return split == std::string::npos ? "<no line break>" : text.substr(split + 2);
    }
    void setField(int id, const std::string& text) { table.texts[id] = text; }
    void useArtNet() { table.selectors[kDmxProtocolSelector] = 1; }
};
