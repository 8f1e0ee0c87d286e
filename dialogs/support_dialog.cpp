#include "dialogs/support_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/message_service.h"

namespace wendral::app {

CSupportDialog::CSupportDialog(Browser browser, Mail mail, QWidget* parent)
    : QDialog(parent), browser_(std::move(browser)), mail_(std::move(mail)) {
    setWindowTitle(kSupportTitle);

    auto* icon = new QLabel;
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(kSupportText);
    text->setWordWrap(false);

    homepage_ = new QPushButton(QStringLiteral("Visit the &homepage"));
    write_ = new QPushButton(QStringLiteral("&Write to the author"));
    done_ = new QPushButton(QStringLiteral("Done"));
    done_->setDefault(true);
    homepage_->setAutoDefault(false);
    write_->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addWidget(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(homepage_);
    buttons->addWidget(write_);
    buttons->addStretch(1);
    buttons->addWidget(done_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(done_, &QPushButton::clicked, this, &QDialog::accept);
    connect(homepage_, &QPushButton::clicked, this, [this] {
        if (!browser_ || !browser_(QUrl(QString::fromLatin1(kHomepage))))
            ShowMessage(kHomepageFailed);
    });
    connect(write_, &QPushButton::clicked, this, [this] {
        if (!mail_ || !mail_(kAuthorAddress, kSupportSubject)) ShowMessage(kMailToAuthorFailed);
    });
}

}  // namespace wendral::app
