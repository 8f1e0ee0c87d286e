#pragma once
#include <QString>

namespace wendral::app {

// A document template: makes a document, its view and its frame together. The application
// registers one per kind of window, in the order source (258), destination (130),
// merge-align (250), background (8).
class DocTemplate {
  public:
    DocTemplate(int resourceId, QString documentString)
        : resourceId_(resourceId), documentString_(std::move(documentString)) {}
    virtual ~DocTemplate() = default;
    DocTemplate(const DocTemplate&) = delete;
    DocTemplate& operator=(const DocTemplate&) = delete;

    int ResourceId() const { return resourceId_; }
    const QString& DocumentString() const { return documentString_; }

    // Opens `path` in a new document with its view and frame; an empty path makes a new, empty
    // document. Returns false when the open failed: nothing is left behind then, and the
    // template has already told the user why where that is its job.
    virtual bool OpenDocumentFile(const QString& path) = 0;

  private:
    int resourceId_;
    QString documentString_;
};

inline constexpr int kSourceTemplate = 258;
inline constexpr int kDestinationTemplate = 130;
inline constexpr int kMergeAlignTemplate = 250;
inline constexpr int kBackgroundTemplate = 8;

}  // namespace wendral::app
