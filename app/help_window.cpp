#include "app/help_window.h"

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "app/commands.h"
#include "app/toolbar_icons.h"
#include "core/command_table.h"

// The pages are compiled into the application's static library, and nothing refers to their
// object file by name: without this call the linker leaves them out of the program.
static void InitHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace wendral::app {
namespace {

struct TopicPage {
    int topic;
    const char* page;
};

constexpr TopicPage kTopicPages[] = {
    {kTopicNoSource, "getting_started.html"},
    {kTopicOneSource, "destination.html"},
    {kTopicTwoSources, "merging.html"},
    {kTopicSourceButtons, "sources.html#buttons"},
    {kTopicTwoSourceButtons, "sources.html#two-sources"},
    {kTopicBrushing, "brushing.html"},
    {kTopicModified, "changes.html"},
    {kTopicZone, "zone.html"},
};

constexpr const char* kKeysPlaceholder = "<!-- keys table -->";

QUrl& Root() {
    static QUrl root(QStringLiteral("qrc:/help/"));
    return root;
}

QPointer<HelpWindow>& Window() {
    static QPointer<HelpWindow> window;
    return window;
}

QUrl PageUrl(const QString& page) {
    return HelpRoot().resolved(QUrl(page));
}

QString FilePathOf(const QUrl& url) {
    if (url.scheme() == QLatin1String("qrc")) return QLatin1Char(':') + url.path();
    return url.toLocalFile();
}

// A page's HTML as the window shows it: the keys page with its table filled in. Empty when the
// page cannot be read.
QString ReadPage(const QUrl& url) {
    InitHelpResources();
    QFile file(FilePathOf(url.adjusted(QUrl::RemoveFragment)));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QString html = QString::fromUtf8(file.readAll());
    if (url.fileName() == QLatin1String(kKeysPage))
        html.replace(QLatin1String(kKeysPlaceholder), KeysTableHtml());
    return html;
}

// Where a command's keys work, from the parts of the application that carry it.
QString PlaceOf(int id) {
    bool destination = false, source = false;
    for (const CommandRow& row : CommandTable()) {
        if (row.id != id) continue;
        switch (row.carrier) {
            case Carrier::DestinationView:
            case Carrier::DestinationDocument:
                destination = true;
                break;
            case Carrier::SourceView:
            case Carrier::SourceFrame:
                source = true;
                break;
            default:
                break;
        }
    }
    if (destination && source) return QStringLiteral("destination or source window");
    if (destination) return QStringLiteral("destination window");
    if (source) return QStringLiteral("source window");
    return QStringLiteral("any window");
}

QString Kbd(const QString& key) {
    return QStringLiteral("<kbd>%1</kbd>").arg(key.toHtmlEscaped());
}

// A typed character, with its name where the character alone is easy to miss.
QString Typed(QChar c) {
    static const QHash<QChar, QString> names{{u',', QStringLiteral("comma")},
                                             {u'.', QStringLiteral("full stop")},
                                             {u'<', QStringLiteral("less than")},
                                             {u'>', QStringLiteral("greater than")}};
    const QString name = names.value(c);
    return name.isEmpty() ? Kbd(c) : QStringLiteral("%1 (%2)").arg(Kbd(c), name);
}

QString StatusPart(const char* prompt) {
    const QString text = QString::fromUtf8(prompt ? prompt : "");
    return text.section(QLatin1Char('\n'), 0, 0).trimmed();
}

bool OnSourceToolbar(int id) {
    const auto ids = SourceToolbar();
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

QString KeyRow(const QStringList& keys, int id, const QString& what, const QString& where) {
    const QString button =
        CommandIcon(id).isNull() ? QString() : QStringLiteral("<img src=\"button:%1\"> ").arg(id);
    return QStringLiteral("<tr><td class=\"keys\">%1</td><td>%2%3</td><td>%4</td></tr>\n")
        .arg(keys.join(QStringLiteral(" or ")), button, what.toHtmlEscaped(), where);
}

}  // namespace

QString HelpTopicPage(int topic) {
    for (const TopicPage& t : kTopicPages)
        if (t.topic == topic) return QString::fromLatin1(t.page);
    return {};
}

int WhatNowTopic(const WendralState& state, const Zone& zone) {
    if (state.BrushingEnabled == 1) return kTopicBrushing;
    if (state.DestModified == 1) return kTopicModified;
    if (zone.HasZone()) return kTopicZone;
    if (state.SourceCount == 0) return kTopicNoSource;
    if (state.SourceCount == 1) return kTopicOneSource;
    return kTopicTwoSources;
}

int SourceWindowTopic(const WendralState& state) {
    return state.SourceCount == 2 ? kTopicTwoSourceButtons : kTopicSourceButtons;
}

QUrl HelpRoot() {
    return Root();
}
void SetHelpRoot(const QUrl& root) {
    Root() = root;
}

bool HelpPageExists(const QString& page) {
    InitHelpResources();
    const QUrl url = PageUrl(page).adjusted(QUrl::RemoveFragment);
    return !page.isEmpty() && QFile::exists(FilePathOf(url));
}

bool ShowHelp(const QString& page, QWidget* owner) {
    if (!HelpPageExists(page)) return false;
    QPointer<HelpWindow>& window = Window();
    if (!window || window->parentWidget() != owner) {
        delete window.data();
        window = new HelpWindow(owner);
    }
    window->Open(page);
    window->ShowContents();
    // A help window the user minimised comes back with the page asked for.
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

bool ShowHelpTopic(int topic, QWidget* owner) {
    return ShowHelp(HelpTopicPage(topic), owner);
}

HelpWindow* CurrentHelpWindow() {
    return Window();
}

QString KeysTableHtml() {
    QString rows;
    for (const CommandInfo& info : AllCommands()) {
        QStringList keys;
        if (info.typed)
            for (const QChar c : QString::fromUtf8(info.typed)) keys << Typed(c);
        if (info.keys)
            for (const QString& k :
                 QString::fromUtf8(info.keys).split(QLatin1Char(';'), Qt::SkipEmptyParts))
                keys << Kbd(
                    QKeySequence(k, QKeySequence::PortableText).toString(QKeySequence::NativeText));
        if (keys.isEmpty()) continue;
        rows += KeyRow(keys, info.id, StatusPart(info.prompt), PlaceOf(info.id));
    }
    rows += KeyRow({Kbd(QKeySequence(kHelpKey).toString(QKeySequence::NativeText))}, 0,
                   QStringLiteral("Help on what you can do next in the window you are working in"),
                   QStringLiteral("destination or source window"));
    return QStringLiteral(
               "<table class=\"keys\" cellspacing=\"0\" cellpadding=\"4\">\n"
               "<tr><th>Keys</th><th>What they do</th><th>Where</th></tr>\n%1</table>")
        .arg(rows);
}

// ---- HelpBrowser ----

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent) {
    InitHelpResources();
    setOpenExternalLinks(true);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    if (name.scheme() == QLatin1String("button")) {
        const int id = name.path().toInt();
        const QSize size = OnSourceToolbar(id) ? kSourceButton : kDestinationButton;
        // Drawn at twice the button's size, shown at its size: sharp on every screen.
        QImage image = CommandIcon(id).pixmap(size * 2).toImage();
        image.setDevicePixelRatio(2);
        return image;
    }
    if (type == QTextDocument::HtmlResource) {
        const QString html = ReadPage(name);
        if (!html.isEmpty()) return html;
    }
    return QTextBrowser::loadResource(type, name);
}

// ---- HelpWindow ----

HelpWindow::HelpWindow(QWidget* owner) : QMainWindow(owner, Qt::Window) {
    setWindowTitle(kHelpWindowTitle);
    // Large enough for a page beside its contents, and never larger than the screen.
    QSize size(980, 720);
    if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        size = size.boundedTo(free.size() * 9 / 10);
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, free));
    } else {
        resize(size);
    }

    browser_ = new HelpBrowser;
    contents_ = new QTreeWidget;
    contents_->setHeaderHidden(true);
    contents_->setRootIsDecorated(true);

    auto* searchPage = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchLayout->setContentsMargins(4, 4, 4, 4);
    auto* searchLabel = new QLabel(QStringLiteral("Find the pages that mention:"));
    searchField_ = new QLineEdit;
    searchField_->setPlaceholderText(QStringLiteral("a word, such as zone"));
    searchField_->setClearButtonEnabled(true);
    searchLabel->setBuddy(searchField_);
    hits_ = new QListWidget;
    searchLayout->addWidget(searchLabel);
    searchLayout->addWidget(searchField_);
    searchLayout->addWidget(hits_, 1);

    tabs_ = new QTabWidget;
    tabs_->addTab(contents_, QStringLiteral("&Contents"));
    tabs_->addTab(searchPage, QStringLiteral("&Search"));

    auto* splitter = new QSplitter;
    splitter->addWidget(tabs_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({280, 680});
    setCentralWidget(splitter);

    QToolBar* bar = addToolBar(QStringLiteral("Navigation"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* back =
        bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Back"));
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    QAction* forward =
        bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Forward"));
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    QAction* home = bar->addAction(
        QIcon::fromTheme(QStringLiteral("go-home"), style()->standardIcon(QStyle::SP_DirHomeIcon)),
        QStringLiteral("Contents"));
    home->setToolTip(QStringLiteral("Show the list of contents"));
    connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, [this] { Open(kContentsPage); });
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    auto* find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        tabs_->setCurrentIndex(1);
        searchField_->setFocus();
        searchField_->selectAll();
    });
    auto* next = new QAction(this);
    next->setShortcut(QKeySequence::FindNext);
    connect(next, &QAction::triggered, this, [this] { FindNext(); });
    auto* previous = new QAction(this);
    previous->setShortcut(QKeySequence::FindPrevious);
    connect(previous, &QAction::triggered, this, [this] { FindNext(true); });
    addActions({find, next, previous});

    connect(searchField_, &QLineEdit::returnPressed, this,
            [this] { SearchFor(searchField_->text()); });
    connect(hits_, &QListWidget::currentRowChanged, this, &HelpWindow::ShowHit);
    connect(hits_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ShowHit(hits_->row(item)); });
    connect(contents_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item) Open(item->data(0, Qt::UserRole).toString());
    });
    connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        SelectInContents(url);
        HighlightSearched();
    });

    BuildContents();
}

void HelpWindow::Open(const QString& page) {
    const QUrl url = PageUrl(page);
    if (browser_->source() == url) {
        if (!url.fragment().isEmpty()) browser_->scrollToAnchor(url.fragment());
        return;
    }
    browser_->setSource(url);
}

namespace {

// `url` relative to the help root, as the contents and the topics name pages.
QString RelativePage(const QUrl& url) {
    const QString root = HelpRoot().toString();
    QString page = url.toString();
    if (page.startsWith(root)) page.remove(0, root.size());
    return page;
}

}  // namespace

void HelpWindow::ShowContents() {
    tabs_->setCurrentWidget(contents_);
}

QString HelpWindow::CurrentPage() const {
    return RelativePage(browser_->source());
}

// The contents are the links of the contents page, in its order; a link to a part of a page
// comes under the link to that page.
void HelpWindow::BuildContents() {
    contents_->clear();
    QTextDocument index;
    index.setHtml(ReadPage(PageUrl(kContentsPage)));
    auto* top =
        new QTreeWidgetItem(contents_, {index.metaInformation(QTextDocument::DocumentTitle)});
    top->setData(0, Qt::UserRole, QString::fromLatin1(kContentsPage));

    // A link may span several fragments of its block; a page linked twice is listed once.
    QList<QPair<QString, QString>> links;  // href, text
    QStringList seen;
    for (QTextBlock block = index.begin(); block.isValid(); block = block.next()) {
        QString previous;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QString href = fragment.charFormat().anchorHref();
            if (href == previous && !href.isEmpty()) {
                links.last().second += fragment.text();
                continue;
            }
            previous.clear();
            if (href.isEmpty() || !QUrl(href).isRelative() || seen.contains(href)) continue;
            seen << href;
            previous = href;
            links.append({href, fragment.text()});
        }
    }
    QHash<QString, QTreeWidgetItem*> pages;
    for (const auto& [href, text] : links) {
        const QString page = href.section(QLatin1Char('#'), 0, 0);
        QTreeWidgetItem* parent = href.contains(QLatin1Char('#')) ? pages.value(page) : nullptr;
        auto* item = parent ? new QTreeWidgetItem(parent, {text.simplified()})
                            : new QTreeWidgetItem(contents_, {text.simplified()});
        item->setData(0, Qt::UserRole, href);
        item->setToolTip(0, item->text(0));
        if (!parent && !pages.contains(page)) pages.insert(page, item);
    }
    contents_->expandAll();
}

QStringList HelpWindow::ContentsPages() const {
    QStringList pages;
    for (QTreeWidgetItemIterator it(contents_); *it; ++it)
        pages << (*it)->data(0, Qt::UserRole).toString();
    return pages;
}

void HelpWindow::SelectInContents(const QUrl& url) {
    const QString page = RelativePage(url);
    const QString withoutPart = page.section(QLatin1Char('#'), 0, 0);
    QTreeWidgetItem* best = nullptr;
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
        const QString href = (*it)->data(0, Qt::UserRole).toString();
        if (href == page) {
            best = *it;
            break;
        }
        if (!best && href == withoutPart) best = *it;
    }
    const QSignalBlocker blocker(contents_);
    contents_->setCurrentItem(best);
}

QList<HelpWindow::Hit> HelpWindow::Search(const QString& text) const {
    QList<Hit> hits;
    const QString wanted = text.simplified();
    if (wanted.isEmpty()) return hits;
    QStringList seen;
    for (const QString& link : ContentsPages()) {
        const QString page = link.section(QLatin1Char('#'), 0, 0);
        if (seen.contains(page)) continue;
        seen << page;
        QTextDocument doc;
        doc.setHtml(ReadPage(PageUrl(page)));
        const int count = static_cast<int>(doc.toPlainText().count(wanted, Qt::CaseInsensitive));
        if (count > 0)
            hits.append({page, doc.metaInformation(QTextDocument::DocumentTitle), count});
    }
    return hits;
}

void HelpWindow::SearchFor(const QString& text) {
    searched_ = text.simplified();
    const QList<Hit> hits = Search(searched_);
    const QSignalBlocker blocker(hits_);
    hits_->clear();
    for (const Hit& hit : hits) {
        auto* item =
            new QListWidgetItem(QStringLiteral("%1  (%2)").arg(hit.title).arg(hit.count), hits_);
        item->setData(Qt::UserRole, hit.page);
    }
    if (hits.isEmpty() && !searched_.isEmpty()) {
        auto* none =
            new QListWidgetItem(QStringLiteral("No page mentions \"%1\".").arg(searched_), hits_);
        none->setFlags(Qt::NoItemFlags);
    }
    tabs_->setCurrentIndex(1);
    if (!hits.isEmpty()) {
        hits_->setCurrentRow(0);
        ShowHit(0);
    }
}

void HelpWindow::ShowHit(int row) {
    QListWidgetItem* item = hits_->item(row);
    if (!item || !(item->flags() & Qt::ItemIsEnabled)) return;
    Open(item->data(Qt::UserRole).toString());
    browser_->moveCursor(QTextCursor::Start);
    HighlightSearched();
    FindNext();
}

bool HelpWindow::FindNext(bool backwards) {
    if (searched_.isEmpty()) return false;
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (browser_->find(searched_, flags)) return true;
    // Past the last place: start again from the other end.
    browser_->moveCursor(backwards ? QTextCursor::End : QTextCursor::Start);
    return browser_->find(searched_, flags);
}

// Every place of the searched text in the page shown gets a marker colour.
void HelpWindow::HighlightSearched() {
    QList<QTextEdit::ExtraSelection> marks;
    if (!searched_.isEmpty()) {
        QTextCharFormat mark;
        mark.setBackground(QColor(255, 230, 120));
        for (QTextCursor at = browser_->document()->find(searched_); !at.isNull();
             at = browser_->document()->find(searched_, at))
            marks.append({at, mark});
    }
    browser_->setExtraSelections(marks);
}

}  // namespace wendral::app
