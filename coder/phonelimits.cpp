#include "phonelimits.h"

bool PhoneLimits::asksToShorten(CoderCommand::Format format, qint64 lengthSeconds)
{
    return format == CoderCommand::Format::M4r && lengthSeconds > IphoneSeconds;
}

qint64 PhoneLimits::exportedLength(CoderCommand::Format format, qint64 lengthSeconds,
                                   bool keepFirst)
{
    return keepFirst && asksToShorten(format, lengthSeconds) ? IphoneSeconds : lengthSeconds;
}

UserPrompt::Message PhoneLimits::question(qint64 lengthSeconds)
{
    UserPrompt::Message message;
    message.text = QStringLiteral("iPhone 只播放铃声的前 %1 秒,选中的这段有 %2 秒。\n"
                                  "只保存前 %1 秒吗?选“否”保存整段。")
                       .arg(IphoneSeconds)
                       .arg(lengthSeconds);
    message.title = QStringLiteral("另存为");
    message.icon = UserPrompt::Icon::Question;
    message.buttons = UserPrompt::Buttons::YesNo;
    return message;
}
