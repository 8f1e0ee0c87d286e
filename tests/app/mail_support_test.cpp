// "Send to ..." and the support dialog, with a stand-in xdg-email first on PATH that records
// its arguments and ends as each test asks.
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/mail_client.h"
#include "app_test_support.h"
#include "dialogs/support_dialog.h"
#include "io/mail.h"
#include "io/picture_file.h"

using namespace wendral;
using namespace wendral::app;
using wendral::app::testing::AppFixture;

namespace {

// While alive, "xdg-email" on PATH is a script in a folder of its own that writes its arguments,
// one a line, to "arguments" there and ends with the status in "status" (a number, or "TERM"
// to be ended by that signal). `missing` puts nothing there and nothing else on PATH.
class StandInMailProgram {
  public:
    explicit StandInMailProgram(bool missing = false) : path_(qgetenv("PATH")) {
        if (!missing) {
            QFile script(dir_.filePath("xdg-email"));
            script.open(QIODevice::WriteOnly);
            script.write(
                "#!/bin/sh\n"
                "here=$(dirname \"$0\")\n"
                "printf '%s\\n' \"$@\" > \"$here/arguments\"\n"
                "status=$(cat \"$here/status\" 2>/dev/null || echo 0)\n"
                "if [ \"$status\" = TERM ]; then kill -TERM $$; fi\n"
                "exit \"$status\"\n");
            script.close();
            script.setPermissions(script.permissions() | QFile::ExeOwner);
        }
        qputenv("PATH",
                missing ? dir_.path().toLocal8Bit() : dir_.path().toLocal8Bit() + ':' + path_);
    }
    ~StandInMailProgram() { qputenv("PATH", path_); }

    void EndWith(const QByteArray& status) {
        QFile file(dir_.filePath("status"));
        file.open(QIODevice::WriteOnly);
        file.write(status);
    }
    // The arguments of the last run; none when it has not run since Forget.
    std::optional<QStringList> Arguments() const {
        QFile file(dir_.filePath("arguments"));
        if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
        return QString::fromLocal8Bit(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    void Forget() { QFile::remove(dir_.filePath("arguments")); }

  private:
    QTemporaryDir dir_;
    QByteArray path_;
};

// "Send to ..." with the save dialog answering `path` and the filter `filterIndex`, or cancelled.
void SendTo(AppFixture& f, std::optional<SaveDialogAnswer> answer) {
    f.app().DestDoc()->SetSaveDialog([answer] { return answer; });
    QVERIFY(f.router().Execute(kSendTo));
}

Bgr Stripes(int x, int y) {
    return Bgr{std::uint8_t(x * 9), std::uint8_t(y * 5), 120};
}

}  // namespace

class MailSupportTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void sendToNeedsAPicture() {
        AppFixture f;
        QVERIFY(!f.Enabled(kSendTo));
        f.AddSource(16, 8, Bgr{1, 2, 3});
        QVERIFY(f.Enabled(kSendTo));
    }

    void sendToMailsTheFileJustWrittenAndReportsTheOutcome_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QString>("message");
        const QByteArray bmp("BM"), png("\x89PNG"), jpg("\xFF\xD8");
        QTest::newRow("sent, png by its filter")
            << "picture" << 3 << "picture.png" << png << QByteArray("0") << "";
        QTest::newRow("sent, jpg by its name")
            << "photo.jpg" << 1 << "photo.jpg" << jpg << QByteArray("0") << "";
        QTest::newRow("syntax") << "a.bmp" << 1 << "a.bmp" << bmp << QByteArray("1")
                                << kMailGeneralFailure;
        QTest::newRow("file missing")
            << "a" << 1 << "a.bmp" << bmp << QByteArray("2") << kMailAttachmentOpenFailure;
        QTest::newRow("no mail program")
            << "a.bmp" << 1 << "a.bmp" << bmp << QByteArray("3") << kMailLoginFailure;
        QTest::newRow("mail program failed")
            << "a.bmp" << 1 << "a.bmp" << bmp << QByteArray("4") << kMailGeneralFailure;
        QTest::newRow("cannot read")
            << "a.bmp" << 1 << "a.bmp" << bmp << QByteArray("5") << kMailAttachmentOpenFailure;
        QTest::newRow("cannot write")
            << "a.bmp" << 1 << "a.bmp" << bmp << QByteArray("6") << kMailAttachmentWriteFailure;
        QTest::newRow("another status")
            << "a.bmp" << 1 << "a.bmp" << bmp << QByteArray("9") << kMailGeneralFailure;
        QTest::newRow("ended by a signal")
            << "a.bmp" << 1 << "a.bmp" << bmp << QByteArray("TERM") << kMailAborted;
    }

    void sendToMailsTheFileJustWrittenAndReportsTheOutcome() {
        QFETCH(QString, name);
        QFETCH(int, filter);
        QFETCH(QString, written);
        QFETCH(QByteArray, signature);
        QFETCH(QByteArray, status);
        QFETCH(QString, message);
        AppFixture f;
        f.AddSource(24, 10, Stripes);
        QTemporaryDir dir;
        StandInMailProgram mail;
        mail.EndWith(status);
        ScopedMessageHook messages;
        SendTo(f, SaveDialogAnswer{dir.filePath(name), filter});
        QStringList expected{kSaveBeforeSending};
        if (!message.isEmpty()) expected << message;
        QCOMPARE(messages.Texts(), expected);
        QCOMPARE(messages.Records()[0].icon, MessageIcon::Information);
        if (!message.isEmpty()) QCOMPARE(messages.Records()[1].icon, MessageIcon::Stop);

        // The attachment is the file just written, in the format its name chose.
        const QString file = dir.filePath(written);
        QCOMPARE(mail.Arguments(), std::optional(QStringList({"--attach", file})));
        QFile attached(file);
        QVERIFY(attached.open(QIODevice::ReadOnly));
        QVERIFY(attached.read(signature.size()) == signature);
        SourceDocument read;
        Messages readMessages;
        QVERIFY(LoadPictureFile(file.toStdString(), 1, read, readMessages).loaded);
        QCOMPARE(read.PictureWidth, f.state().DestWidth);
        QCOMPARE(read.PictureHeight, f.state().DestHeight);
    }

    void aCancelledSaveSendsNothingEvenAfterAnEarlierSave() {
        AppFixture f;
        f.AddSource(16, 8, Stripes);
        QTemporaryDir dir;
        StandInMailProgram mail;
        ScopedMessageHook messages;
        SendTo(f, SaveDialogAnswer{dir.filePath("first.png"), 1});
        QVERIFY(mail.Arguments());
        mail.Forget();
        messages.Clear();
        SendTo(f, std::nullopt);
        QCOMPARE(messages.Texts(), QStringList({kSaveBeforeSending, kSendAborted}));
        QCOMPARE(mail.Arguments(), std::nullopt);
    }

    void aMissingMailProgramIsNamed() {
        AppFixture f;
        f.AddSource(16, 8, Stripes);
        QTemporaryDir dir;
        StandInMailProgram missing(true);
        ScopedMessageHook messages;
        SendTo(f, SaveDialogAnswer{dir.filePath("p.bmp"), 1});
        QCOMPARE(
            messages.Texts(),
            QStringList({kSaveBeforeSending, "WENDRAL cannot load xdg-email. Send file aborted"}));
        QCOMPARE(messages.Records()[1].icon, MessageIcon::Stop);
    }

    void theSupportDialogOffersTheHomepageAndTheAuthor() {
        QList<QUrl> opened;
        bool browserTakes = true;
        CSupportDialog dialog(
            [&](const QUrl& url) {
                opened << url;
                return browserTakes;
            },
            ComposeMailFromWindows);
        QCOMPARE(dialog.windowTitle(), QString("Support"));
        QStringList texts;
        for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
        QVERIFY(texts.contains(
            "View the homepage for the latest information\nContact me if you have any "
            "questions/bug reports."));
        QCOMPARE(dialog.DoneButton().text(), QString("Done"));

        ScopedMessageHook messages;
        dialog.HomepageButton().click();
        QCOMPARE(opened, QList<QUrl>({QUrl("https://wendral.example.org/")}));
        browserTakes = false;
        dialog.HomepageButton().click();
        QCOMPARE(messages.Texts(), QStringList({kHomepageFailed}));
        messages.Clear();

        {
            StandInMailProgram mail;
            dialog.WriteButton().click();
            QCOMPARE(
                mail.Arguments(),
                std::optional(QStringList({"--subject", "WENDRAL", "author@wendral.example.org"})));
            mail.EndWith("3");
            dialog.WriteButton().click();
        }
        {
            StandInMailProgram missing(true);
            dialog.WriteButton().click();
        }
        const QString failed = "Problem with sending the email, WENDRAL will ignore.";
        QCOMPARE(messages.Texts(), QStringList({failed, failed}));

        dialog.DoneButton().click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void theSupportCommandOpensTheDialog() {
        AppFixture f;
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CSupportDialog*>(QApplication::activeModalWidget());
            shown = dialog != nullptr;
            if (dialog) dialog->DoneButton().click();
        });
        QVERIFY(f.router().Execute(kSupport));
        QVERIFY(shown);
    }
};

QTEST_MAIN(MailSupportTest)
#include "mail_support_test.moc"
