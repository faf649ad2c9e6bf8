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
#include "ui/tests/window_expectations.h"
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
    std::vector<int> ids(std::begin(kDmxPageIds), std::end(kDmxPageIds));
    ids.insert(ids.end(), {kDmxPageButton, kMidiPageButton});
    ids.insert(ids.end(), std::begin(kMidiPageIds), std::end(kMidiPageIds));
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
    for (const ExpectedPlace& place : kPlacesAtStart) {
        EXPECT_EQ(control<QWidget>(*t.window, place.id)->geometry(), QRect(place.x, place.y, place.width, place.height))
            << place.id;
    }
}

TEST(WindowDefaults, FieldsSelectorsAndTexts) {
    TestWindow t;
    const MainWindow& w = *t.window;
    for (const ExpectedText& expected : kTextsAtStart) EXPECT_EQ(textOf(w, expected.id), expected.text) << expected.id;
    // The MIDI page's hint, a label without an id: on Linux it names no platform.
    QStringList labels;
    for (const QLabel* label : w.host->findChildren<QLabel*>()) labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("MIDI ports: USB / DIN or virtual network MIDI ports")))
        << labels.join(QStringLiteral(" / ")).toStdString();

    struct Selector {
        int id;
        std::span<const char* const> entries;
    };
    for (const Selector& selector : {Selector{101, kProtocolEntries}, Selector{206, kMidiTypeEntries}}) {
        auto* box = control<QComboBox>(w, selector.id);
        ASSERT_EQ(box->count(), static_cast<int>(selector.entries.size()));
        for (int index = 0; index < box->count(); ++index) {
            EXPECT_EQ(box->itemText(index).toStdString(), selector.entries[static_cast<std::size_t>(index)]);
        }
    }
    auto* type = control<QComboBox>(w, 206);
    EXPECT_EQ(w.engines.midi.view.selectedItemValue(206), 0);
    type->setCurrentIndex(2);
    EXPECT_EQ(w.engines.midi.view.selectedItemValue(206), 2);

    // The port selectors were filled at creation: the placeholder first, selected.
    for (int id : {203, 204}) {
        auto* ports = control<QComboBox>(w, id);
        ASSERT_GE(ports->count(), 1);
        EXPECT_EQ(ports->itemText(0).toStdString(), kMidiPortPlaceholder);
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
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(model->headerData(column, Qt::Horizontal).toString().toStdString(), kLevelColumnTitles[column]);
    }
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
    EXPECT_EQ(textOf(*t.window, kDmxStatusText), kDmxStatusAfterFirstTick);
    EXPECT_EQ(textOf(*t.window, kMidiStatusText), kMidiStatusAfterFirstTick);
}

TEST(WindowDefaults, DigitFieldsTakeOnlyDigitsOtherFieldsTakeAnyText) {
    TestWindow t;
    t.window->host->show();
    for (int id : kDigitOnlyFieldIds) {
        auto* field = control<QLineEdit>(*t.window, id);
        field->clear();
        QTest::keyClicks(field, "-5a 7.");
        EXPECT_EQ(field->text().toStdString(), "57") << id;
    }
    for (int id : kFreeTextFieldIds) {
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
    const auto& dmxIds = kDmxPageIds;
    const auto& midiIds = kMidiPageIds;
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
    EXPECT_EQ(messageLine(w, kDmxStatusText), kRangeMessage);
}

}  // namespace
