// The real main window on the offscreen platform, driven the way an operator meets it.
#include "display/ui/DisplayFormatPage.h"
#include "shell/ui/frmZVScreenClientMain.h"
#include "tests/AccessibleNames.h"
#include "tests/integration/EndToEndHarness.h"
#include "tests/support/SiteFolder.h"
#include "tests/support/TestApp.h"
#include "tests/support/memory/MemoryFileSystem.h"
#include "tests/support/memory/RecordingMessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using namespace zeva;

namespace {

using test::Find;

void Click(const QWidget& w, const char* name) {
    auto* b = Find<QAbstractButton>(w, name);
    ASSERT_TRUE(b->isEnabled() && b->isVisibleTo(b->window())) << name;
    b->click();
}

const std::map<std::string, std::string> kNarrowOutput = {{"Setup\\OUTPUT\\CharactersPerPage", "20"},
                                                          {"Setup\\OUTPUT\\LinesPerRecord", "4"}};

class MainWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::EnsureApp(); }
    std::unique_ptr<frmZVScreenClientMain> Window() {
        frmZVScreenClientMain::Options o;
        o.settingsPath = path_;
        o.instanceLock = &lock_;
        o.messages = &messages_;
        return std::make_unique<frmZVScreenClientMain>(o);
    }
    // The window for user on a settings database that does not connect by itself, the sample field
    // database beside it; otherwise a new site's defaults.
    void Start(const char* user, std::map<std::string, std::string> extra = {}) {
        extra.insert({{"Setup\\TCP\\Auto Connect", "False"},
                      {"Setup\\TCP\\Hub Connection Retries", "10"},
                      {"Setup\\WINDOW\\WindowSelected", "2"}});
        std::string error;
        ASSERT_TRUE(e2e::WriteSettings(dir_, path_, 6000, extra, error)) << error;
        w_ = Window();
        ASSERT_EQ(w_->shell().Load(user), MainShell::LoadResult::Running);
        w_->show();
    }

    test::SiteFolder site_{"zeva_ui"};
    const std::filesystem::path dir_ = site_.Path();
    std::string path_ = site_.File("ZEVARegistry.mdb");
    FakeInstanceLock lock_;
    RecordingMessageBox messages_;
    std::unique_ptr<frmZVScreenClientMain> w_;
};

} // namespace

TEST_F(MainWindowTest, RunningWindowShowsTheClientsAndNamesEveryControl) {
    ASSERT_NO_FATAL_FAILURE(Start("07"));
    auto* clients = Find<QListWidget>(*w_, "lstClients");
    ASSERT_EQ(clients->count(), 2);
    EXPECT_EQ(clients->item(0)->text(), QStringLiteral("x01"));
    EXPECT_TRUE(clients->item(1)->isSelected());
    // Every control has a name a screen reader can say, in the window and in the comms console.
    EXPECT_EQ(test::UnspokenControls(*w_), std::vector<std::string>{});
    ASSERT_NE(w_->client(), nullptr);
    EXPECT_EQ(test::UnspokenControls(*w_->console()), std::vector<std::string>{});
    // Every label that shows a value is heard with it, and no two buttons share a name.
    w_->ShowRecordText("001401050311112222");
    w_->client()->onBadCheckCount(3);
    EXPECT_EQ(test::UnheardValuesAndSharedNames(*w_), std::vector<std::string>{});
    // Without a link to log off, the close request is carried out at once (once the connection
    // timer has made its first step).
    w_->shell().Timer2Tick();
    EXPECT_TRUE(w_->close());
    EXPECT_TRUE(w_->IsUnloaded());
}

TEST_F(MainWindowTest, AdministratorEditsTheListAndTheOutputTestShowsItAfterARestartToo) {
    ASSERT_NO_FATAL_FAILURE(Start("ADMIN05"));
    Click(*w_, "imgConfig3");
    auto* list = Find<QListWidget>(*w_, "lstDFields");
    list->setCurrentRow(2); // "NAME:" becomes "WHO:"
    Click(*w_, "cmdDFEdit");
    Find<QLineEdit>(*w_, "txtDFInsertText")->setText(QStringLiteral("WHO:"));
    Click(*w_, "cmdDFOk");

    const ListBox& output = *e2e::OutputList(*w_);
    w_->RunOutputTest(); // shows the edits; a record from the hub keeps the stored layout
    EXPECT_EQ(output.List(1).rfind("CLI: 0311112222  WHO: ", 0), 0u) << output.List(1);
    w_->ShowRecordText("001401050311112222");
    EXPECT_EQ(output.List(0), "CLI: 0311112222  NAME:     ADDR:");
    Click(*w_, "imgOutput"); // leaving the setup applies and stores the list
    w_->RunOutputTest();
    ASSERT_GE(output.ListCount(), 3);
    EXPECT_EQ(output.List(1).rfind("CLI: 0311112222  WHO: ", 0), 0u) << output.List(1);
    EXPECT_EQ(Find<QLabel>(*w_, "labRecordsProcessed(0)")->text(), QStringLiteral("3"));

    Click(*w_, "imgConfig3");
    // Edits the window is closed on: a deleted entry and a number typed, the box never left.
    list->setCurrentRow(0);
    Click(*w_, "cmdDFDelete");
    auto* width = Find<QLineEdit>(*w_, "txtDFCharWidth");
    width->selectAll();
    QTest::keyClicks(width, QStringLiteral("100"));
    Click(*w_, "cmdSetupPassword(0)"); // Lock
    const std::vector<std::string> edited = w_->displayFormatPage()->Lines();
    w_->shell().Unload();
    w_.reset();
    auto w = Window();
    ASSERT_EQ(w->shell().Load("ADMIN05"), MainShell::LoadResult::Running);
    EXPECT_EQ(w->displayFormatPage()->Lines(), edited);
    EXPECT_EQ(Find<QLineEdit>(*w, "txtDFCharWidth")->text(), QStringLiteral("100"));
    EXPECT_FALSE(w->displayFormatPage()->isEnabled());
    EXPECT_TRUE(messages_.shown.empty());
}

// A damaged settings file's size is cut to the screen: a window of 2147483647 twips would need a
// picture of gigabytes, and the client died making it.
TEST_F(MainWindowTest, AStoredSizeBeyondTheScreenOpensWithinIt) {
    ASSERT_NO_FATAL_FAILURE(Start("05", {{"Setup\\WINDOW\\WindowSelected", "3"},
                                         {"Setup\\WINDOW\\XWindowState3", "0"},
                                         {"Setup\\WINDOW\\XWindowWidth3", "2147483647"},
                                         {"Setup\\WINDOW\\XWindowHeight3", "2147483647"}}));
    QApplication::processEvents();
    const QSize room = w_->screen()->availableGeometry().size();
    EXPECT_TRUE(w_->width() <= room.width() && w_->height() <= room.height())
        << w_->width() << "x" << w_->height();
}

TEST_F(MainWindowTest, CtrlCCopiesWhatTheOperatorPastesElsewhere) {
    // Output lines of 20 characters, so one record's block has several lines; operator mode: no menus.
    ASSERT_NO_FATAL_FAILURE(Start("07", kNarrowOutput));
    const auto copy = [](QWidget* target) {
        QKeyEvent ctrlC(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QStringLiteral("c"));
        QApplication::sendEvent(target, &ctrlC);
        return QApplication::clipboard()->text();
    };
    // Field 105 the calling number, 107 a given name with a CP1252 letter (0xCB).
    w_->ShowRecordText("001401050311112222"
                       "00070107ZO\xCB");
    w_->InsertOutputLine("a line of its own");
    w_->ShowRecordText("001401050399990000");
    auto* output = Find<QListView>(*w_, "lstOutput");
    QtLineListBox& lines = *e2e::OutputList(*w_);
    lines.Flush(); // what the operator sees, as after the next frame
    const auto block = [&](int first, int count) {
        QStringList text;
        for (int i = first; i < first + count; ++i)
            text << output->model()->index(i, 0).data().toString();
        return text.join(QLatin1Char('\n'));
    };
    const int n = int(w_->formatter()->LastBlockLines());
    ASSERT_GE(n, 2);
    ASSERT_EQ(output->model()->rowCount(), 2 * n + 1);
    // The operator's click selects the line, here through the view.
    const auto click = [&](int row) { output->setCurrentIndex(output->model()->index(row, 0)); };
    click(n + 1 + 1); // inside the first record's block
    EXPECT_EQ(copy(output), block(n + 1, n));
    click(0);
    EXPECT_EQ(copy(output), block(0, n));
    click(n);
    EXPECT_EQ(copy(output), QStringLiteral("a line of its own"));
    auto* grid = Find<QTableWidget>(*w_, "RecordFlexGrid");
    ASSERT_GE(grid->rowCount(), 3);
    grid->clearSelection();
    grid->selectRow(2);
    QStringList expected;
    for (int r : {0, 2}) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            cells << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
        expected << cells.join(QLatin1Char('\t'));
    }
    EXPECT_EQ(copy(grid), expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    EXPECT_TRUE(copy(grid).contains(QStringLiteral("ZO\u00CB"))) << "the older record is row 2";
}

TEST_F(MainWindowTest, FindBarNarrowsTheRecordsFollowsArrivalsAndEscapeRestores) {
    ASSERT_NO_FATAL_FAILURE(Start("07", kNarrowOutput)); // operator mode
    QTest::keyClick(w_.get(), Qt::Key_4);                // the Records display
    w_->ShowRecordText("001401050311112222"
                       "00070107Huber");
    w_->ShowRecordText("001401050699123456");
    auto* grid = Find<QTableWidget>(*w_, "RecordFlexGrid");
    QtLineListBox& output = *e2e::OutputList(*w_);
    auto* bar = Find<QWidget>(*w_, "frmFind");
    auto* text = Find<QLineEdit>(*w_, "txtFind");
    const int n = int(w_->formatter()->LastBlockLines());
    output.SetListIndex(1);
    const auto shownRows = [&] {
        QStringList ids;
        for (int r = 1; r < grid->rowCount(); ++r)
            if (!grid->isRowHidden(r)) ids << grid->item(r, 0)->text();
        return ids;
    };
    Click(*w_, "cmdFind");
    ASSERT_TRUE(bar->isVisibleTo(w_.get()));
    text->setText(QStringLiteral("0311 112"));
    EXPECT_EQ(shownRows().size(), 1) << shownRows().join(QLatin1Char(',')).toStdString();
    w_->ShowRecordText("001401050311112999"); // arrives while the bar is open, and matches
    w_->ShowRecordText("001401050777000000");
    QTest::qWait(20);
    EXPECT_EQ(shownRows().size(), 2) << "a matching record that arrives is shown";

    // Enter: the first line of the next block below holding the text, wrapping to the top.
    output.SetListIndex(0);
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(output.ListIndex(), n) << "the newest match, below the block selected";
    output.SetListIndex(2);
    QTest::keyClick(text, Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisibleTo(w_.get()));
    EXPECT_EQ(shownRows().size(), 4) << "Escape shows every record again";
    EXPECT_EQ(output.ListIndex(), 1 + 2 * n) << "the selection the operator had, moved down by the arrivals";
}
