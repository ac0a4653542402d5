#include "systemdesktopopener.h"

#include "userprompt.h"

#include <QDesktopServices>
#include <QFileInfo>

bool SystemDesktopOpener::openUrl(const QUrl &url)
{
    if (QDesktopServices::openUrl(url))
        return true;
    UserPrompt::Message message;
    message.text = failureText(url);
    message.icon = UserPrompt::Icon::Warning;
    m_prompt.show(message);
    return false;
}

void SystemDesktopOpener::showFile(const QString &path)
{
    m_revealer.reveal(path);
}

QString SystemDesktopOpener::failureText(const QUrl &url)
{
    if (url.scheme() == QLatin1String("mailto"))
        return tr("没有找到写邮件的程序，所以无法给 %1 写信。\n请在你的邮件程序里直接写信到这个地址。")
            .arg(url.path());
    if (url.isLocalFile()) {
        const QString path = url.toLocalFile();
        if (QFileInfo(path).isDir())
            return tr("没有找到文件管理器，所以无法打开这个文件夹：\n%1\n请在文件管理器里打开它。")
                .arg(path);
        return tr("没有找到浏览器，所以无法打开这个文件：\n%1\n请用浏览器打开它。").arg(path);
    }
    return tr("没有找到浏览器，所以无法打开这个网址：\n%1\n请把它复制到浏览器里打开。")
        .arg(url.toDisplayString());
}
