// The window as it opens: every control where the table puts it, the defaults of both
// pages, the page switch and the digits-only fields.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QtTest/QTest>

#include "ui/qt/level_table_model.h"
#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

const ControlDefinition* definitionOf(int id) {
    for (const ControlDefinition& control : controlTable()) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

TEST(WindowDefaults, TitleIconAndApplicationName) {
    TestWindow t;
    EXPECT_EQ(t.window->host->windowTitle().toStdString(), "Velmora Lumibox 0.2.1");
    EXPECT_FALSE(t.window->host->windowIcon().isNull());
    EXPECT_EQ(QApplication::applicationName().toStdString(), "VelmoraLumibox");
    EXPECT_EQ(QGuiApplication::desktopFileName().toStdString(), "com.velmora.Lumibox") << "the installed desktop entry";
    // Before the window is shown no frame is known: the client gets the outer figures.
    EXPECT_EQ(t.window->host->minimumSize(), QSize(1000, 800));
    EXPECT_EQ(t.window->host->size(), QSize(1000, 870));
    t.window->host->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(t.window->host->frameGeometry().size(), QSize(1000, 870));
}

TEST(WindowDefaults, EveryIdFindsOneControlAtItsPlace) {
    TestWindow t;
    // The ids of the window, independent of the table in the code.
    std::vector<int> ids;
    for (int id = 101; id <= 116; ++id) ids.push_back(id);
    for (int id = 201; id <= 217; ++id) ids.push_back(id);
    for (int id : ids) {
        const auto found = t.window->host->findChildren<QWidget*>(QStringLiteral("id%1").arg(id));
        ASSERT_EQ(found.size(), 1) << id;
        const ControlDefinition* control = definitionOf(id);
        ASSERT_NE(control, nullptr) << id;
        if (id == kDmxLevelTable || id == kDmxStatusText || id == kMidiMessageList || id == kMidiStatusText) continue;
        const QRect geometry = found.front()->geometry();
        EXPECT_EQ(geometry.topLeft(), QPoint(control->x, control->y)) << id;
        EXPECT_EQ(geometry.width(), control->width) << id;
    }
    // A few places checked against the numbers themselves.
    EXPECT_EQ(control<QWidget>(*t.window, 105)->geometry(), QRect(730, 137, 220, 30));
    EXPECT_EQ(control<QWidget>(*t.window, 201)->geometry(), QRect(730, 44, 130, 32));
    EXPECT_EQ(control<QWidget>(*t.window, 202)->geometry(), QRect(875, 44, 75, 32));
    EXPECT_EQ(control<QWidget>(*t.window, 211)->geometry(), QRect(640, 326, 160, 32));
}

TEST(WindowDefaults, FieldsSelectorsAndTexts) {
    TestWindow t;
    const MainWindow& w = *t.window;
    const std::pair<int, const char*> expected[] = {
        {101, "sACN"},        {102, "100"},           {103, "0.0.0.0"},   {104, "127.0.0.1"},
        {109, "1"},           {112, "1"},             {110, "255"},       {113, "200"},
        {105, "Start RX"},    {106, "Continuous TX"}, {107, "Send value"}, {108, "Pulse → 0"},
        {111, "All to 0"},    {116, "Reset network"}, {201, "sACN / Art-Net"}, {202, "MIDI"},
        {115, "Ready. RX and TX are off."},
        {206, "Note On"},     {207, "1"},             {208, "60"},        {209, "127"},
        {210, "200"},         {205, "Start MIDI RX"}, {211, "Send MIDI"}, {212, "Note Off"},
        {213, "All Notes Off (channel)"}, {214, "Close MIDI ports"}, {215, "Refresh ports"},
        {217, "MIDI RX and TX are off."},
    };
    for (const auto& [id, text] : expected) EXPECT_EQ(textOf(w, id), text) << id;
    // The MIDI page's hint, a label without an id: on Linux it names no platform.
    QStringList labels;
    for (const QLabel* label : w.host->findChildren<QLabel*>()) labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("MIDI ports: USB / DIN or virtual network MIDI ports")))
        << labels.join(QStringLiteral(" / ")).toStdString();

    auto* protocol = control<QComboBox>(w, 101);
    ASSERT_EQ(protocol->count(), 2);
    EXPECT_EQ(protocol->itemText(1).toStdString(), "Art-Net");
    auto* type = control<QComboBox>(w, 206);
    ASSERT_EQ(type->count(), 3);
    EXPECT_EQ(type->itemText(1).toStdString(), "Control Change");
    EXPECT_EQ(type->itemText(2).toStdString(), "Program Change");
    EXPECT_EQ(w.engines.midi.view.selectedItemValue(206), 0);
    type->setCurrentIndex(2);
    EXPECT_EQ(w.engines.midi.view.selectedItemValue(206), 2);

    // The port selectors were filled at creation: the placeholder first, selected.
    for (int id : {203, 204}) {
        auto* ports = control<QComboBox>(w, id);
        ASSERT_GE(ports->count(), 1);
        EXPECT_EQ(ports->itemText(0).toStdString(), "Select MIDI port …");
        EXPECT_EQ(ports->currentIndex(), 0);
        EXPECT_EQ(w.engines.midi.view.selectedItemValue(id), -1);
    }
}

TEST(WindowDefaults, LevelTableHas512NumberedRowsOfZeros) {
    TestWindow t;
    auto* table = control<QTableView>(*t.window, kDmxLevelTable);
    const QAbstractItemModel* model = table->model();
    ASSERT_EQ(model->rowCount(), 512);
    ASSERT_EQ(model->columnCount(), 3);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString().toStdString(), "Channel");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString().toStdString(), "Received (RX)");
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString().toStdString(), "Output (TX)");
    for (int row : {0, 1, 255, 511}) {
        EXPECT_EQ(model->data(model->index(row, 0)).toString().toStdString(), std::to_string(row + 1));
        EXPECT_EQ(model->data(model->index(row, 1)).toString().toStdString(), "0");
        EXPECT_EQ(model->data(model->index(row, 2)).toString().toStdString(), "0");
    }
    EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST(WindowDefaults, FirstTickReplacesBothInitialStatusTexts) {
    TestWindow t;
    t.tick();
    EXPECT_EQ(textOf(*t.window, kDmxStatusText), "RX 0 | TX 0 | Rejected 0 | No signal yet\n");
    EXPECT_EQ(textOf(*t.window, kMidiStatusText), "MIDI RX 0 | TX 0 | Rejected 0\n");
}

TEST(WindowDefaults, DigitFieldsTakeOnlyDigitsOtherFieldsTakeAnyText) {
    TestWindow t;
    t.window->host->show();
    for (int id : {102, 109, 110, 112, 113, 207, 208, 209, 210}) {
        auto* field = control<QLineEdit>(*t.window, id);
        field->clear();
        QTest::keyClicks(field, "-5a 7.");
        EXPECT_EQ(field->text().toStdString(), "57") << id;
    }
    for (int id : {103, 104}) {
        auto* field = control<QLineEdit>(*t.window, id);
        field->clear();
        QTest::keyClicks(field, "multicast -1");
        EXPECT_EQ(field->text().toStdString(), "multicast -1") << id;
    }
}

TEST(WindowDefaults, FieldTextIsCutTo255Characters) {
    TestWindow t;
    auto* field = control<QLineEdit>(*t.window, 104);
    field->setText(QString(300, QLatin1Char('x')));
    EXPECT_EQ(t.window->engines.dmxView.fieldText(104).size(), 255u);
}

bool shown(const MainWindow& w, int id) { return control<QWidget>(w, id)->isVisibleTo(w.host); }

TEST(WindowPages, ButtonsSwitchPagesAndKeepEveryFieldsState) {
    TestWindow t;
    MainWindow& w = *t.window;
    w.host->show();
    const int dmxIds[] = {101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116};
    const int midiIds[] = {203, 204, 205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 215, 216, 217};
    for (int id : dmxIds) EXPECT_TRUE(shown(w, id)) << id;
    for (int id : midiIds) EXPECT_FALSE(shown(w, id)) << id;

    control<QLineEdit>(w, 102)->setText("7");
    control<QComboBox>(w, 101)->setCurrentIndex(1);
    control<QLineEdit>(w, 208)->setText("61");
    control<QComboBox>(w, 206)->setCurrentIndex(1);

    QTest::mouseClick(control<QPushButton>(w, 202), Qt::LeftButton);
    for (int id : dmxIds) EXPECT_FALSE(shown(w, id)) << id;
    for (int id : midiIds) EXPECT_TRUE(shown(w, id)) << id;
    EXPECT_TRUE(shown(w, 201));
    EXPECT_TRUE(shown(w, 202));

    QTest::mouseClick(control<QPushButton>(w, 201), Qt::LeftButton);
    for (int id : dmxIds) EXPECT_TRUE(shown(w, id)) << id;
    for (int id : midiIds) EXPECT_FALSE(shown(w, id)) << id;
    EXPECT_EQ(textOf(w, 102), "7");
    EXPECT_EQ(textOf(w, 101), "Art-Net");
    EXPECT_EQ(textOf(w, 208), "61");
    EXPECT_EQ(textOf(w, 206), "Control Change");
}

TEST(WindowPages, HiddenPageStatusKeepsBeingRefreshed) {
    TestWindow t;
    MainWindow& w = *t.window;
    w.host->show();
    handleWindowCommand(w, kMidiPageButton, 0);
    control<QLineEdit>(w, 110)->clear();  // Value empty: the range message
    handleWindowCommand(w, 107, 0);
    t.tick();
    EXPECT_EQ(messageLine(w, kDmxStatusText), "Use channels 1–512, value 0–255 and pulse 30–60000 ms.");
}

}  // namespace
