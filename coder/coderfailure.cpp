#include "coderfailure.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

enum class Cause {
    Stopped,
    ReadBack,
    NoRoom,
    Missing,
    NotAllowed,
    Folder,
    NotAFile,
    Playlist,
    Empty,
    PastEnd,
    SameAsSource,
    UnknownFormat,
    Memory,
    Encoder,
    ReadWrite,
    NoSound,
    Other,
};

struct Rule {
    const char *phrase;
    Cause cause;
};

// First match wins: a read-back or a full disk can surface through words that
// a later, broader rule also knows ("cannot read it back: Invalid data…",
// "write error: No space left on device").
constexpr Rule Rules[] = {
    {"stopped by a signal", Cause::Stopped},
    {"reads back as", Cause::ReadBack},
    {"cannot read it back", Cause::ReadBack},
    {"no audio could be read back", Cause::ReadBack},
    {"are free on its disk", Cause::NoRoom},
    {"No space left on device", Cause::NoRoom},
    {"Disk quota exceeded", Cause::NoRoom},
    {"File too large", Cause::NoRoom},
    {"No such file or directory", Cause::Missing},
    {"Not a directory", Cause::Missing},
    {"Permission denied", Cause::NotAllowed},
    {"Operation not permitted", Cause::NotAllowed},
    {"Read-only file system", Cause::NotAllowed},
    {"is a folder", Cause::Folder},
    {"Is a directory", Cause::Folder},
    {"not a file", Cause::NotAFile},
    {"is not a regular file", Cause::NotAFile},
    {"No such device", Cause::NotAFile},
    {"is a playlist or a list of other files", Cause::Playlist},
    {"Protocol not found", Cause::Playlist},
    {"the file is empty", Cause::Empty},
    {"the start lies past the end", Cause::PastEnd},
    {"is the input file", Cause::SameAsSource},
    {"unknown output format", Cause::UnknownFormat},
    {"no extension to choose the output format", Cause::UnknownFormat},
    {"out of memory", Cause::Memory},
    {"Cannot allocate memory", Cause::Memory},
    {"encoder", Cause::Encoder},
    {"encoding failed", Cause::Encoder},
    {"cannot hold", Cause::Encoder},
    {"cannot encode", Cause::Encoder},
    {"takes at most", Cause::Encoder},
    {"AMR-NB", Cause::Encoder},
    {"cannot set up", Cause::Encoder},
    {"cannot write the header", Cause::Encoder},
    {"Input/output error", Cause::ReadWrite},
    {"read error", Cause::ReadWrite},
    {"write error", Cause::ReadWrite},
    {"cannot write", Cause::ReadWrite},
    {"no audio stream", Cause::NoSound},
    {"no decoder for its audio", Cause::NoSound},
    {"has no sample rate", Cause::NoSound},
    {"Invalid data found when processing input", Cause::NoSound},
    {"cannot decode its audio", Cause::NoSound},
    {"cannot convert its audio", Cause::NoSound},
    {"End of file", Cause::NoSound},
    {"Invalid argument", Cause::NoSound},
};

Cause causeOf(const QString &line)
{
    // "coder: <path>: <reason>": the reason follows the path's ": ", and a
    // phrase met only inside the path (a song named "no audio stream.mp3")
    // is not the reason.
    const QString text = line.trimmed();
    const qsizetype reasonStart =
        text.startsWith(QLatin1String("coder: ")) ? text.indexOf(QLatin1String(": "), 7) : 0;
    for (const Rule &rule : Rules) {
        if (text.lastIndexOf(QLatin1String(rule.phrase)) >= std::max<qsizetype>(reasonStart, 0))
            return rule.cause;
    }
    return Cause::Other;
}

// The two sizes of "needs about 2.1 GB but only 300.0 MB are free on its disk".
QStringList sizesIn(const QString &line)
{
    static const QRegularExpression sizes(
        QStringLiteral("needs about (.+) but only (.+) are free on its disk"));
    const auto found = sizes.match(line);
    return found.hasMatch() ? QStringList{found.captured(1), found.captured(2)} : QStringList();
}

} // namespace

QString CoderFailure::plainText(Job job, const QString &coderLine)
{
    const Cause cause = causeOf(coderLine);
    if (job == Job::Open) {
        switch (cause) {
        case Cause::Stopped: return tr("打开被中断了。请再打开一次。");
        case Cause::NoRoom:
            if (const QStringList sizes = sizesIn(coderLine); !sizes.isEmpty())
                return tr("磁盘空间不够：打开这首歌需要大约 %1，只剩 %2。请腾出空间后再试。")
                    .arg(sizes[0], sizes[1]);
            return tr("磁盘空间不够，放不下这首歌的声音。请腾出空间后再试。");
        case Cause::Missing: return tr("找不到这个文件。它可能已被移动、改名或删除。请重新选择。");
        case Cause::NotAllowed:
            return tr("Kesmarin 没有读取这个文件的权限。请检查它的权限，或把它复制到你自己的文件夹后再打开。");
        case Cause::Folder:
        case Cause::NotAFile:
            return tr("这不是一个普通文件（而是文件夹、管道或设备）。请选择一个音频或视频文件。");
        case Cause::Playlist:
            return tr("这是一个播放列表或文件清单，不是声音文件。请打开它所列的歌曲本身。");
        case Cause::Empty: return tr("这个文件是空的，里面什么也没有。请选择另一个文件。");
        case Cause::Memory: return tr("内存不够。请关闭一些程序后再试。");
        case Cause::ReadWrite:
            return tr("读取这个文件时出错。它所在的磁盘或网络位置可能有问题，请把它复制到本机后再打开。");
        case Cause::ReadBack:
        case Cause::PastEnd:
        case Cause::SameAsSource:
        case Cause::UnknownFormat:
        case Cause::Encoder:
        case Cause::NoSound:
            return tr("这个文件里没有 Kesmarin 能读的声音。它可能已损坏，或者不是音频或视频文件。");
        case Cause::Other: break;
        }
        return tr("Kesmarin 无法打开这个文件。详细信息里有原因；请试试另一个文件。");
    }

    QString what;
    switch (cause) {
    case Cause::Stopped: what = tr("保存被中断了。请再保存一次。"); break;
    case Cause::ReadBack:
        what = tr("保存的文件读回来时和写入的不一致，所以没有留下它。请再试一次，或换一种格式。");
        break;
    case Cause::NoRoom:
        if (const QStringList sizes = sizesIn(coderLine); !sizes.isEmpty())
            what = tr("磁盘空间不够：需要大约 %1，只剩 %2。请腾出空间，或保存到另一个磁盘。")
                       .arg(sizes[0], sizes[1]);
        else
            what = tr("磁盘空间不够。请腾出空间，或保存到另一个磁盘。");
        break;
    case Cause::Missing: what = tr("要保存到的文件夹不存在。请选择另一个文件夹。"); break;
    case Cause::NotAllowed: what = tr("Kesmarin 不能在这个文件夹里写文件。请保存到你有写入权限的文件夹。"); break;
    case Cause::Folder: what = tr("这个名字已经被一个文件夹占用。请换一个文件名。"); break;
    case Cause::NotAFile: what = tr("这个名字已经被一个设备或管道占用。请换一个文件名。"); break;
    case Cause::PastEnd: what = tr("选中的这一段在歌曲结束之后。请重新选择。"); break;
    case Cause::SameAsSource: what = tr("不能保存到正在编辑的文件上。请换一个文件名。"); break;
    case Cause::UnknownFormat:
        what = tr("不支持这种铃声格式。请以 .mp3、.wma、.wav、.amr、.m4r 或 .ogg 结尾。");
        break;
    case Cause::Memory: what = tr("内存不够。请关闭一些程序后再试。"); break;
    case Cause::Encoder: what = tr("无法把这一段编码成这种格式。请换一种铃声格式再试。"); break;
    case Cause::ReadWrite: what = tr("写入铃声文件时出错。请检查磁盘，或保存到另一个文件夹。"); break;
    case Cause::Playlist:
    case Cause::Empty:
    case Cause::NoSound:
        what = tr("歌曲的工作副本读不出来了。请重新打开歌曲，再保存。");
        break;
    case Cause::Other: what = tr("详细信息里有原因；请再试一次，或换一种格式。"); break;
    }
    return tr("铃声没有保存成功。") + u'\n' + what;
}
