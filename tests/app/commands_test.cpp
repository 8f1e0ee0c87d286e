// The command vocabulary as the user meets it: menus, prompts, keys, and the enabling rules of
// the destination commands in each state.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>
#include <QTest>
#include <QToolBar>
#include <set>

#include "app/background.h"
#include "app/commands.h"
#include "app_test_support.h"
#include "core/command_table.h"

using namespace wendral;
using namespace wendral::app;
using wendral::app::testing::AppFixture;

namespace {

std::vector<int> MenuIds(QMenu* menu) {
    std::vector<int> ids;
    for (QAction* a : menu->actions()) ids.push_back(a->isSeparator() ? 0 : a->data().toInt());
    return ids;
}

std::vector<int> ToolbarIds(QToolBar& bar) {
    std::vector<int> ids;
    for (QAction* a : bar.actions()) ids.push_back(a->isSeparator() ? 0 : a->data().toInt());
    return ids;
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void theVocabularyHasOneEntryPerId() {
        std::set<int> ids;
        for (const CommandInfo& c : AllCommands())
            QVERIFY2(ids.insert(c.id).second, qPrintable(QString::number(c.id)));
        for (const MenuInfo& m : MainMenus())
            for (int id : m.items) QVERIFY(id == 0 || FindCommand(id));
        for (int id : DestinationToolbar()) QVERIFY(id == 0 || FindCommand(id));
        for (int id : SourceToolbar()) QVERIFY(id == 0 || FindCommand(id));
    }

    void menusAndToolbarShowTheVocabularyInOrder() {
        AppFixture f;
        const QList<QAction*> menus = f.frame().menuBar()->actions();
        QCOMPARE(menus.size(), 5);
        QCOMPARE(menus[1]->text(), QString("Edit"));
        const std::vector<int> edit = MenuIds(menus[1]->menu());
        const std::vector<int> expected = {kUndo, kRedo, 0,     kCopy, kPaste, 0,
                                           32741, 32740, 32730, 32731, 32732,  32733,
                                           32734, 32735, 32736, 32737, 32738,  32739};
        QCOMPARE(edit, expected);
        QCOMPARE(f.router().Action(kSaveDestinationAs)->text(),
                 QString("Save Destination As...\tS"));
        QCOMPARE(f.router().Action(kBrightnessContrast)->text(), QString("Brightness && Contrast"));

        const std::vector<int> bar = ToolbarIds(f.app().DestFrame()->ToolBar());
        QCOMPARE(bar, std::vector<int>(DestinationToolbar().begin(), DestinationToolbar().end()));
        QCOMPARE(bar.front(), int(kNudgeDownward));
        QCOMPARE(bar[2], int(kNudgeLeft));
        QVERIFY(!f.router().Action(kNudgeDownward)->icon().isNull());
    }

    void promptsSplitIntoStatusTipAndToolTip() {
        AppFixture f;
        QAction* merge = f.router().Action(kMergeSources);
        QCOMPARE(merge->statusTip(), QString("Merge Sources: 1 & 2 to Destination"));
        QCOMPARE(merge->toolTip(), QString(" Src 1 & 2 -> Destination"));
        QAction* sharpen = f.router().Action(kSharpen);
        QCOMPARE(sharpen->statusTip(), QString("Sharpen the Image"));
        QCOMPARE(f.router().Action(kExit)->statusTip(), QString("Exits 'WENDRAL'"));
        QCOMPARE(f.router().Action(kExplainButtons)->toolTip(),
                 QString("Description of this source window buttons"));
    }

    void keysAreTheAcceleratorTable() {
        AppFixture f;
        QCOMPARE(f.router().Action(kCopy)->shortcuts(),
                 QList<QKeySequence>({QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Ins")}));
        QCOMPARE(f.router().Action(kPortion2)->shortcut(), QKeySequence("Ctrl+2"));
        QCOMPARE(f.router().Action(kRestoreDestination)->shortcut(),
                 QKeySequence(Qt::Key_Backspace));
        QCOMPARE(f.router().Action(kConverge)->shortcut(), QKeySequence("Ctrl+Up"));
        QCOMPARE(CommandRouter::TypedCommand("."), int(kExplode));
        QCOMPARE(CommandRouter::TypedCommand(">"), int(kTwistRight));
        QCOMPARE(CommandRouter::TypedCommand("s"), int(kSaveDestinationAs));
        // Typed characters match exactly: the capitals are not the commands.
        QCOMPARE(CommandRouter::TypedCommand("S"), 0);
        QCOMPARE(CommandRouter::TypedCommand("B"), 0);
        QCOMPARE(CommandRouter::TypedCommand("F"), 0);
    }

    void laterFeaturesAndHandlerlessCommandsAreDisabled() {
        AppFixture f;
        f.AddSource(32, 16, Bgr{9, 9, 9});
        for (int id : {kExplainButtons, kCut, kRedo})
            QVERIFY2(!f.Enabled(id), qPrintable(QString::number(id)));
        for (int id : {kAbout,
                       kExit,
                       kCascade,
                       kShowDestination,
                       kSharpen,
                       kPencilDraw,
                       kSaveDestinationAs,
                       kBrightnessContrast,
                       kSpecialEffects,
                       kRotateDestination,
                       kHelp,
                       kHotKeys,
                       kWhatNow,
                       kSendTo,
                       kSupport,
                       kPrint,
                       kPrintPreview,
                       kPrintSetup,
                       kMergeAlign,
                       kMergeSources,
                       kReferenceColour})
            QVERIFY2(f.Enabled(id), qPrintable(QString::number(id)));
    }

    void destinationCommandsFollowTheirRules() {
        AppFixture f;
        const int distortions[] = {kNudgeDownward, kNudgeUpward, kNudgeRight,        kNudgeLeft,
                                   kTwistRight,    kTwistLeft,   kImplode,           kExplode,
                                   kDiverge,       kConverge,    kRestoreDestination};
        // No picture: the distortions, lock, save and the effects are off; brushing always on.
        for (int id : distortions) QVERIFY(!f.Enabled(id));
        for (int id : {kLockDestination, kSaveDestinationAs, kFlip, kSharpen, kBlackWhite})
            QVERIFY(!f.Enabled(id));
        QVERIFY(f.Enabled(kEnableBrushing));
        QVERIFY(f.Enabled(kDisableBrushing));
        QVERIFY(f.Checked(kDisableBrushing));
        QVERIFY(!f.Checked(kEnableBrushing));
        // Every destination command the view carries is enabled exactly as its row of the
        // command table says, the rule wendral-batch refuses by.
        const auto followsTheTable = [&f] {
            for (const CommandRow& row : CommandTable())
                if (row.carrier == Carrier::DestinationView && f.view().FindHandler(row.id))
                    QCOMPARE(f.Enabled(row.id), Available(f.state(), row.needs));
        };
        followsTheTable();

        f.AddSource(64, 32, [](int x, int y) { return Bgr{std::uint8_t(x), std::uint8_t(y), 7}; });
        for (int id : distortions) QVERIFY(f.Enabled(id));
        for (int id : {kLockDestination, kSaveDestinationAs, kFlip, kSharpen, kBlackWhite})
            QVERIFY(f.Enabled(id));
        followsTheTable();

        // Brushing on: the distortions, restore and flip are off, the lock stays.
        f.Drag(QPoint(4, 4), QPoint(24, 14));
        QVERIFY(f.router().Execute(kEnableBrushing));
        QCOMPARE(f.state().BrushingEnabled, 1);
        for (int id : distortions) QVERIFY(!f.Enabled(id));
        QVERIFY(!f.Enabled(kFlip));
        QVERIFY(f.Enabled(kLockDestination));
        followsTheTable();
        QVERIFY(f.Checked(kEnableBrushing));
        QVERIFY(!f.Checked(kDisableBrushing));
        QVERIFY(f.router().Execute(kDisableBrushing));
        QCOMPARE(f.state().BrushingEnabled, 0);
        QVERIFY(!f.zone().HasZone());
        QVERIFY(f.app().DestFrame()->windowTitle().endsWith("  <no zone set>"));
    }

    void effectsFollowTheActiveView() {
        AppFixture f;
        f.AddSource(16, 16, Bgr{50, 60, 70});
        QVERIFY(f.Enabled(kBlur));
        // A source view active: off.
        class SourceLike : public QMdiSubWindow, public RoutedFrame {
          public:
            CommandTarget* RouteView() override { return &target; }
            CommandTarget* RouteDocument() override { return nullptr; }
            CommandTarget* RouteFrame() override { return nullptr; }
            ViewRole Role() const override { return ViewRole::Source; }
            CommandTarget target;
        };
        auto* source = new SourceLike;
        f.frame().AddSubWindow(source);
        f.frame().BringToTop(source);
        QVERIFY(!f.Enabled(kBlur));
        QVERIFY(!f.Enabled(kSaveDestinationAs));
        // The view's own handler comes before the main frame's.
        bool viewRan = false;
        source->target.OnCommand(kCopy, [&] { viewRan = true; });
        QVERIFY(f.router().Execute(kCopy));
        QVERIFY(viewRan);
        // No frame active (the background): on again.
        f.frame().MdiArea().setActiveSubWindow(nullptr);
        QVERIFY(f.Enabled(kBlur));
    }

    void anEffectChangesTheDestinationAndMarksItModified() {
        AppFixture f;
        f.AddSource(8, 4, [](int x, int) { return Bgr{std::uint8_t(x * 30), 0, 0}; });
        QVERIFY(f.router().Execute(kBlackWhite));
        const Bgr p = f.state().DestPixel(3, 1);
        QCOMPARE(p.b, p.g);
        QCOMPARE(p.g, p.r);
        QCOMPARE(f.state().DestModified, 1);
        QVERIFY(f.app().DestFrame()->windowTitle().startsWith("Destination Window  <modified>"));
    }
};

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
