#pragma once

#include <QString>
#include <QUrl>

// The addresses handed to the desktop: the two mail links, the help page and
// the product's web address.
namespace ShellLinks {

QString webAddress();
QString friendAddress();
QString supportAddress();
QString aboutText();

// "mailto:<friend>?subject=I ve made a ringtone by Kesmarin!&body=..."
// percent-encoded as a URL must be.
QUrl tellAFriendUrl();
// "mailto:<support>?subject=Feedback/Bug Report"
QUrl feedbackUrl();
// help/index.html in the program's own folder, never the current one; the
// page of the program's language (help/en/index.html) where there is one.
QUrl helpUrl(const QString &applicationDir);

} // namespace ShellLinks
