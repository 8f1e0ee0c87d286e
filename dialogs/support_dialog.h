#pragma once
#include <QDialog>
#include <QUrl>
#include <functional>
#include <string>

class QPushButton;

namespace wendral::app {

// The project's homepage and the author's address, which the support dialog offers.
inline constexpr const char* kHomepage = "https://wendral.example.org/";
inline constexpr const char* kAuthorAddress = "author@wendral.example.org";
inline constexpr const char* kSupportSubject = "WENDRAL";

inline constexpr const char* kSupportTitle = "Support";
inline constexpr const char* kSupportText =
    "View the homepage for the latest information\nContact me if you have any questions/bug "
    "reports.";
inline constexpr const char* kMailToAuthorFailed =
    "Problem with sending the email, WENDRAL will ignore.";
inline constexpr const char* kHomepageFailed =
    "Problem with opening the homepage, WENDRAL will ignore.";

// The support dialog: the program icon, its text, a button that opens the homepage in the web
// browser, one that opens a new message to the author, and Done. How the browser and the mail
// program are reached is the caller's: each returns true when it took the request.
class CSupportDialog : public QDialog {
    Q_OBJECT
  public:
    using Browser = std::function<bool(const QUrl&)>;
    using Mail = std::function<bool(const std::string& address, const std::string& subject)>;

    CSupportDialog(Browser browser, Mail mail, QWidget* parent = nullptr);

    QPushButton& HomepageButton() { return *homepage_; }
    QPushButton& WriteButton() { return *write_; }
    QPushButton& DoneButton() { return *done_; }

  private:
    Browser browser_;
    Mail mail_;
    QPushButton* homepage_;
    QPushButton* write_;
    QPushButton* done_;
};

}  // namespace wendral::app
