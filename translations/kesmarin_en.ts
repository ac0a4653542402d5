<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AboutBox</name>
    <message>
        <source>Version </source>
        <translation>Version </translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>CCommonDialogs</name>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>ConsoleRunner</name>
    <message>
        <source>命令行为空</source>
        <translation>The command line is empty</translation>
    </message>
    <message>
        <source>CreatePipe failed. Error: </source>
        <translation>CreatePipe failed. Error: </translation>
    </message>
    <message>
        <source>没有找到文件或命令</source>
        <translation>File or command not found</translation>
    </message>
</context>
<context>
    <name>ExportController</name>
    <message>
        <source>文件名不是 UTF-8 编码,请换一个文件名。
</source>
        <translation>The file name is not in UTF-8. Please choose another name.
</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>不能把铃声保存到正在编辑的文件上,请换一个文件名。
</source>
        <translation>The ringtone cannot be saved over the file being edited. Please choose another name.
</translation>
    </message>
    <message>
        <source>转码程序意外结束。</source>
        <translation>The transcoder ended unexpectedly.</translation>
    </message>
    <message>
        <source>铃声没有保存成功。
</source>
        <translation>The ringtone was not saved.
</translation>
    </message>
    <message>
        <source>没能测出这一段的音量。</source>
        <translation>The loudness of this stretch could not be measured.</translation>
    </message>
    <message>
        <source>MP3 文件(*.mp3)|*.mp3|WMA 文件(*.wma)|*.wma|WAV 文件(*.wav)|*.wav|AMR 文件(*.amr)|*.amr|M4R 文件(*.m4r)|*.m4r|OGG 文件(*.ogg)|*.ogg</source>
        <translation>MP3 Files(*.mp3)|*.mp3|WMA Files(*.wma)|*.wma|WAV Files(*.wav)|*.wav|AMR Files(*.amr)|*.amr|M4R Files(*.m4r)|*.m4r|OGG Files(*.ogg)|*.ogg</translation>
    </message>
    <message>
        <source>已保存 %1 · %2 · %3 %4</source>
        <translation>Saved %1 · %2 · %3 %4</translation>
    </message>
    <message>
        <source>iPhone 只播放铃声的前 %1 秒,选中的这段有 %2 秒。
只保存前 %1 秒吗?选“否”保存整段。</source>
        <translation>An iPhone plays only the first %1 s of a ringtone; the selection lasts %2 s.
Save only the first %1 s? Choose No to save the whole selection.</translation>
    </message>
    <message>
        <source>不支持这种铃声格式,请以 .mp3、.wma、.wav、.amr、.m4r 或 .ogg 结尾。
</source>
        <translation>This ringtone format is not supported. Please end the name with .mp3, .wma, .wav, .amr, .m4r or .ogg.
</translation>
    </message>
    <message>
        <source>写出的文件读不回来。
</source>
        <translation>The written file could not be read back.
</translation>
    </message>
    <message>
        <source>写出的文件长 %1 秒,应当是 %2 秒。
</source>
        <translation>The written file lasts %1 s; it should last %2 s.
</translation>
    </message>
</context>
<context>
    <name>FadeControls</name>
    <message>
        <source>淡入</source>
        <translation>Fade in</translation>
    </message>
    <message>
        <source>铃声开头淡入的秒数</source>
        <translation>Seconds of fade-in at the ringtone&apos;s start</translation>
    </message>
    <message>
        <source>淡出</source>
        <translation>Fade out</translation>
    </message>
    <message>
        <source>铃声结尾淡出的秒数</source>
        <translation>Seconds of fade-out at the ringtone&apos;s end</translation>
    </message>
    <message>
        <source>标准化</source>
        <translation>Normalise</translation>
    </message>
    <message>
        <source>把铃声的峰值调到 -1 dBFS</source>
        <translation>Bring the ringtone&apos;s peak to -1 dBFS</translation>
    </message>
</context>
<context>
    <name>FileDialog</name>
    <message>
        <source>%1 已存在。
要替换它吗?</source>
        <translation>%1 already exists.
Do you want to replace it?</translation>
    </message>
</context>
<context>
    <name>HoverRules</name>
    <message>
        <source>打开媒体文件</source>
        <translation>Open a media file</translation>
    </message>
    <message>
        <source>保存铃声</source>
        <translation>Save the ringtone</translation>
    </message>
    <message>
        <source>任意剪切铃声</source>
        <translation>Cut a ringtone at random</translation>
    </message>
    <message>
        <source>发送铃声给你的朋友</source>
        <translation>Send the ringtone to your friend</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>选择开始位置</source>
        <translation>Set the start position</translation>
    </message>
    <message>
        <source>选择结束位置</source>
        <translation>Set the end position</translation>
    </message>
    <message>
        <source>播放所选区域</source>
        <translation>Play the selection</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimise</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>OpenController</name>
    <message>
        <source>打开文件</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>MP3 Files(*.mp3)|*.mp3|WMA Files(*.wma)|*.wma|WAV Files(*.wav)|*.wav|AMR Files(*.amr)|*.amr|WMV Files(*.wmv)|*.wmv|AVI Files(*.avi)|*.avi|MPG Files(*.mpg)|*.mpg|All Files(*.*)|*.*</source>
        <translation>MP3 Files(*.mp3)|*.mp3|WMA Files(*.wma)|*.wma|WAV Files(*.wav)|*.wav|AMR Files(*.amr)|*.amr|WMV Files(*.wmv)|*.wmv|AVI Files(*.avi)|*.avi|MPG Files(*.mpg)|*.mpg|All Files(*.*)|*.*</translation>
    </message>
    <message>
        <source>当前的音频文件将被关闭,确认吗?</source>
        <translation>The current audio file will be closed. Go ahead?</translation>
    </message>
    <message>
        <source>关闭当前文件</source>
        <translation>Close the current file</translation>
    </message>
    <message>
        <source>转码程序意外结束。</source>
        <translation>The transcoder ended unexpectedly.</translation>
    </message>
    <message>
        <source>转码程序没有输出任何声音。</source>
        <translation>The transcoder put out no sound.</translation>
    </message>
    <message>
        <source>无法打开这个文件。
</source>
        <translation>This file cannot be opened.
</translation>
    </message>
    <message>
        <source>它的名字不是 UTF-8 编码，无法确定它是哪一个文件。</source>
        <translation>Its name is not in UTF-8, and it cannot be told which file it names.</translation>
    </message>
</context>
<context>
    <name>ProgressPanel</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>RingtoneSession</name>
    <message>
        <source>无法创建工作文件夹: </source>
        <translation>Cannot make the working folder: </translation>
    </message>
    <message>
        <source>请先播放音乐</source>
        <translation>Please play the music first</translation>
    </message>
    <message>
        <source>未能找到长于5秒的片段</source>
        <translation>Could not find a stretch longer than 5 seconds</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
</context>
<context>
    <name>SelectionEditor</name>
    <message>
        <source>请按 时:分:秒.毫秒、分:秒.毫秒 或秒数输入时间,例如 00:01:10.250</source>
        <translation>Type a time as HH:MM:SS.mmm, MM:SS.mmm or seconds, e.g. 00:01:10.250</translation>
    </message>
    <message>
        <source>时间必须在 00:00:00 与歌曲长度之间</source>
        <translation>The time must lie between 00:00:00 and the song&apos;s length</translation>
    </message>
    <message>
        <source>开始时间不能晚于结束时间</source>
        <translation>The begin cannot be after the end</translation>
    </message>
    <message>
        <source>请先打开歌曲</source>
        <translation>Please open a song first</translation>
    </message>
</context>
<context>
    <name>SelectionUndo</name>
    <message>
        <source>选区</source>
        <translation>Selection</translation>
    </message>
</context>
<context>
    <name>SetupFile</name>
    <message>
        <source>设置没有保存:无法写入 %1。</source>
        <translation>The settings were not saved: %1 cannot be written.</translation>
    </message>
    <message>
        <source>设置没有保存:%1 不是一个普通文件。</source>
        <translation>The settings were not saved: %1 is not a regular file.</translation>
    </message>
    <message>
        <source>设置没有保存:%1 链接到不属于你的文件夹。</source>
        <translation>The settings were not saved: %1 links into a folder that is not yours.</translation>
    </message>
</context>
<context>
    <name>ShellLinks</name>
    <message>
        <source>Kesmarin 铃声制作 — 由 Kesmarin 开发者制作
</source>
        <translation>Kesmarin ringtone maker — made by the Kesmarin developers
</translation>
    </message>
</context>
<context>
    <name>StripWidget</name>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>End</source>
        <translation>End</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>真的要退出?</source>
        <translation>Really exit?</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>frmMenu</name>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>打开音频文件(&amp;O)</source>
        <translation>&amp;Open audio file</translation>
    </message>
    <message>
        <source>保存铃声(&amp;S)</source>
        <translation>&amp;Save ringtone</translation>
    </message>
    <message>
        <source>退出(&amp;E)</source>
        <translation>&amp;Exit</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>随机剪切铃声(&amp;R)</source>
        <translation>&amp;Random cut</translation>
    </message>
    <message>
        <source>发送铃声给朋友(&amp;S)</source>
        <translation>&amp;Send the ringtone to a friend</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>设置(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>关于(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
</context>
<context>
    <name>frmSetting</name>
    <message>
        <source>        O K</source>
        <translation>        O K</translation>
    </message>
    <message>
        <source>        返回</source>
        <translation>        Back</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Open the folder</source>
        <translation>Open the folder</translation>
    </message>
    <message>
        <source>Do Nothing</source>
        <translation>Do Nothing</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>frmSplash</name>
    <message>
        <source>Loading...</source>
        <translation>Loading...</translation>
    </message>
    <message>
        <source>加载组件中...</source>
        <translation>Loading components...</translation>
    </message>
    <message>
        <source>加载图形...</source>
        <translation>Loading graphics...</translation>
    </message>
</context>
</TS>
