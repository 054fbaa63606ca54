#pragma once
// The desktop's "open" operation (help guide, diagram templates, workbooks, mailto
// links): a small interface so tests can record what would be opened.

#include <QString>
#include <QUrl>

namespace kalvoren {

class DesktopOpener {
  public:
    virtual ~DesktopOpener() = default;
    // Hands the URL to the desktop without waiting; false when no program took it.
    virtual bool open(const QUrl& url) = 0;
};

// QDesktopServices::openUrl.
class QtDesktopOpener final : public DesktopOpener {
  public:
    bool open(const QUrl& url) override;
};

}  // namespace kalvoren
