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
    <name>Accessibility</name>
    <message>
        <source>选择 %1 到 %2，长 %3，全长 %4</source>
        <translation>Selection %1 to %2, %3 long, of %4</translation>
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
    <name>CoderFailure</name>
    <message>
        <source>打开被中断了。请再打开一次。</source>
        <translation>Opening was interrupted. Open the file again.</translation>
    </message>
    <message>
        <source>磁盘空间不够：打开这首歌需要大约 %1，只剩 %2。请腾出空间后再试。</source>
        <translation>There is not enough room on the disk: opening this song needs about %1, and only %2 are free. Free some space and try again.</translation>
    </message>
    <message>
        <source>磁盘空间不够，放不下这首歌的声音。请腾出空间后再试。</source>
        <translation>There is not enough room on the disk for this song&apos;s sound. Free some space and try again.</translation>
    </message>
    <message>
        <source>找不到这个文件。它可能已被移动、改名或删除。请重新选择。</source>
        <translation>Kesmarin cannot find this file. It may have been moved, renamed or deleted. Choose it again.</translation>
    </message>
    <message>
        <source>Kesmarin 没有读取这个文件的权限。请检查它的权限，或把它复制到你自己的文件夹后再打开。</source>
        <translation>Kesmarin is not allowed to read this file. Check its permissions, or copy it into a folder of your own and open the copy.</translation>
    </message>
    <message>
        <source>这不是一个普通文件（而是文件夹、管道或设备）。请选择一个音频或视频文件。</source>
        <translation>This is not an ordinary file (it is a folder, a pipe or a device). Choose an audio or video file.</translation>
    </message>
    <message>
        <source>这是一个播放列表或文件清单，不是声音文件。请打开它所列的歌曲本身。</source>
        <translation>This is a playlist or a list of other files, not a sound file. Open the song itself.</translation>
    </message>
    <message>
        <source>这个文件是空的，里面什么也没有。请选择另一个文件。</source>
        <translation>This file is empty. Choose another file.</translation>
    </message>
    <message>
        <source>内存不够。请关闭一些程序后再试。</source>
        <translation>There is not enough memory. Close some programs and try again.</translation>
    </message>
    <message>
        <source>读取这个文件时出错。它所在的磁盘或网络位置可能有问题，请把它复制到本机后再打开。</source>
        <translation>The file could not be read to the end. Its disk or network place may have a problem: copy it to this computer and open the copy.</translation>
    </message>
    <message>
        <source>这个文件里没有 Kesmarin 能读的声音。它可能已损坏，或者不是音频或视频文件。</source>
        <translation>This file has no sound Kesmarin can read. It may be damaged, or not an audio or video file.</translation>
    </message>
    <message>
        <source>Kesmarin 无法打开这个文件。详细信息里有原因；请试试另一个文件。</source>
        <translation>Kesmarin could not open this file. The details say why; try another file.</translation>
    </message>
    <message>
        <source>保存被中断了。请再保存一次。</source>
        <translation>Saving was interrupted. Save again.</translation>
    </message>
    <message>
        <source>保存的文件读回来时和写入的不一致，所以没有留下它。请再试一次，或换一种格式。</source>
        <translation>The saved file did not read back as what was written, so it was not kept. Try again, or choose another format.</translation>
    </message>
    <message>
        <source>磁盘空间不够：需要大约 %1，只剩 %2。请腾出空间，或保存到另一个磁盘。</source>
        <translation>There is not enough room on the disk: it needs about %1, and only %2 are free. Free some space, or save on another disk.</translation>
    </message>
    <message>
        <source>磁盘空间不够。请腾出空间，或保存到另一个磁盘。</source>
        <translation>There is not enough room on the disk. Free some space, or save on another disk.</translation>
    </message>
    <message>
        <source>要保存到的文件夹不存在。请选择另一个文件夹。</source>
        <translation>The folder to save in does not exist. Choose another folder.</translation>
    </message>
    <message>
        <source>Kesmarin 不能在这个文件夹里写文件。请保存到你有写入权限的文件夹。</source>
        <translation>Kesmarin is not allowed to write in this folder. Save in a folder you can write to.</translation>
    </message>
    <message>
        <source>这个名字已经被一个文件夹占用。请换一个文件名。</source>
        <translation>A folder already has this name. Choose another name.</translation>
    </message>
    <message>
        <source>这个名字已经被一个设备或管道占用。请换一个文件名。</source>
        <translation>A device or a pipe already has this name. Choose another name.</translation>
    </message>
    <message>
        <source>选中的这一段在歌曲结束之后。请重新选择。</source>
        <translation>The selection starts after the end of the song. Select again.</translation>
    </message>
    <message>
        <source>不能保存到正在编辑的文件上。请换一个文件名。</source>
        <translation>The ringtone cannot replace the song being edited. Choose another name.</translation>
    </message>
    <message>
        <source>不支持这种铃声格式。请以 .mp3、.wma、.wav、.amr、.m4r 或 .ogg 结尾。</source>
        <translation>Kesmarin cannot save in this format. End the name with .mp3, .wma, .wav, .amr, .m4r or .ogg.</translation>
    </message>
    <message>
        <source>无法把这一段编码成这种格式。请换一种铃声格式再试。</source>
        <translation>The stretch could not be encoded in this format. Try another ringtone format.</translation>
    </message>
    <message>
        <source>写入铃声文件时出错。请检查磁盘，或保存到另一个文件夹。</source>
        <translation>Writing the ringtone failed. Check the disk, or save in another folder.</translation>
    </message>
    <message>
        <source>歌曲的工作副本读不出来了。请重新打开歌曲，再保存。</source>
        <translation>Kesmarin&apos;s working copy of the song cannot be read any more. Open the song again, then save.</translation>
    </message>
    <message>
        <source>详细信息里有原因；请再试一次，或换一种格式。</source>
        <translation>The details say why; try again, or choose another format.</translation>
    </message>
    <message>
        <source>铃声没有保存成功。</source>
        <translation>The ringtone was not saved.</translation>
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
    <name>DialogsFileRequester</name>
    <message>
        <source>Kesmarin 能打开的全部类型</source>
        <translation>Every type Kesmarin opens</translation>
    </message>
</context>
<context>
    <name>ExportController</name>
    <message>
        <source>文件名不是 UTF-8 编码，请换一个文件名。
</source>
        <translation>The file name is not in UTF-8. Please choose another name.
</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>不能把铃声保存到正在编辑的文件上，请换一个文件名。
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
        <source>不支持这种铃声格式，请以 .mp3、.wma、.wav、.amr、.m4r 或 .ogg 结尾。
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
        <source>写出的文件长 %1 秒，应当是 %2 秒。
</source>
        <translation>The written file lasts %1 s; it should last %2 s.
</translation>
    </message>
    <message>
        <source>铃声</source>
        <translation>ringtone</translation>
    </message>
    <message>
        <source>%1 铃声</source>
        <translation>%1 ringtone</translation>
    </message>
    <message>
        <source>iPhone 只播放铃声的前 %1 秒，选中的这段有 %2 秒。
只保存前 %1 秒，还是保存整段？</source>
        <translation>An iPhone plays only the first %1 s of a ringtone; the selection lasts %2 s.
Save only the first %1 s, or save it all?</translation>
    </message>
    <message>
        <source>只保存前 %1 秒</source>
        <translation>Save the first %1 s</translation>
    </message>
    <message>
        <source>保存整段</source>
        <translation>Save it all</translation>
    </message>
    <message>
        <source>铃声没有保存成功。</source>
        <translation>The ringtone was not saved.</translation>
    </message>
    <message>
        <source>没有保存 %1。</source>
        <translation>%1 was not saved.</translation>
    </message>
    <message>
        <source>没有保存 %1：%2</source>
        <translation>%1 was not saved: %2</translation>
    </message>
    <message>
        <source>已取消保存 %1。</source>
        <translation>Saving %1 was cancelled.</translation>
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
要替换它吗？</source>
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
        <source>无法创建工作文件夹：</source>
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
        <source>推荐片段 %1/%2：%3</source>
        <translation>Best part %1/%2: %3</translation>
    </message>
    <message>
        <source>歌曲中没有重复的段落，选了最热闹的一段：%1</source>
        <translation>Nothing in the song repeats: the most eventful stretch is selected: %1</translation>
    </message>
    <message>
        <source>无法分析这首歌曲</source>
        <translation>This song could not be analysed</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>请先设定结束时间。</source>
        <translation>Set an end first.</translation>
    </message>
    <message>
        <source>已解码的部分还不到5秒，请稍候。</source>
        <translation>Less than 5 seconds are decoded yet; please wait.</translation>
    </message>
    <message>
        <source>所选片段还没有解码，请稍候。</source>
        <translation>The selected stretch is not decoded yet; please wait.</translation>
    </message>
</context>
<context>
    <name>SelectionEditor</name>
    <message>
        <source>请按 时:分:秒.毫秒、分:秒.毫秒 或秒数输入时间，例如 00:01:10.250</source>
        <translation>Type a time as HH:MM:SS.mmm, MM:SS.mmm or seconds, e.g. 00:01:10.250</translation>
    </message>
    <message>
        <source>时间必须在 00:00:00 与歌曲长度之间</source>
        <translation>The time must lie between 00:00:00 and the song&apos;s length</translation>
    </message>
    <message>
        <source>开始时间在结束时间之后。</source>
        <translation>The begin is after the end.</translation>
    </message>
    <message>
        <source>请先打开一首歌曲。</source>
        <translation>Open a song first.</translation>
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
        <source>设置没有保存：无法写入 %1。</source>
        <translation>The settings were not saved: %1 cannot be written.</translation>
    </message>
    <message>
        <source>设置没有保存：%1 不是一个普通文件。</source>
        <translation>The settings were not saved: %1 is not a regular file.</translation>
    </message>
    <message>
        <source>设置没有保存：%1 链接到不属于你的文件夹。</source>
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
    <message>
        <source>循环</source>
        <translation>Loop</translation>
    </message>
</context>
<context>
    <name>SystemDesktopOpener</name>
    <message>
        <source>没有找到写邮件的程序，所以无法给 %1 写信。
请在你的邮件程序里直接写信到这个地址。</source>
        <translation>No mail program was found, so Kesmarin cannot write to %1.
Write to this address from your own mail program.</translation>
    </message>
    <message>
        <source>没有找到文件管理器，所以无法打开这个文件夹：
%1
请在文件管理器里打开它。</source>
        <translation>No file manager was found to open this folder:
%1
Open it in your file manager.</translation>
    </message>
    <message>
        <source>没有找到浏览器，所以无法打开这个文件：
%1
请用浏览器打开它。</source>
        <translation>No browser was found to open this file:
%1
Open it in your browser.</translation>
    </message>
    <message>
        <source>没有找到浏览器，所以无法打开这个网址：
%1
请把它复制到浏览器里打开。</source>
        <translation>No browser was found to open this address:
%1
Copy it into your browser.</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>工具</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
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
    <message>
        <source>反馈</source>
        <translation>Feedback</translation>
    </message>
    <message>
        <source>时间线</source>
        <translation>Timeline</translation>
    </message>
    <message>
        <source>播放时间</source>
        <translation>Play time</translation>
    </message>
    <message>
        <source>选择开始</source>
        <translation>Selection begin</translation>
    </message>
    <message>
        <source>选择结束</source>
        <translation>Selection end</translation>
    </message>
    <message>
        <source>选择长度</source>
        <translation>Selection length</translation>
    </message>
    <message>
        <source>视图开始</source>
        <translation>View begin</translation>
    </message>
    <message>
        <source>视图结束</source>
        <translation>View end</translation>
    </message>
    <message>
        <source>视图长度</source>
        <translation>View length</translation>
    </message>
    <message>
        <source>正在解码</source>
        <translation>Decoding</translation>
    </message>
    <message>
        <source>正在保存</source>
        <translation>Saving</translation>
    </message>
    <message>
        <source>已取消</source>
        <translation>Cancelled</translation>
    </message>
    <message>
        <source>已打开：%1</source>
        <translation>Opened: %1</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>现在不能：%1</source>
        <translation>Not now: %1</translation>
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
        <source>推荐片段(&amp;B)</source>
        <translation>&amp;Best part</translation>
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
        <source>响度标准化：关</source>
        <translation>Loudness: off</translation>
    </message>
    <message>
        <source>响度标准化：%1 LUFS</source>
        <translation>Loudness: %1 LUFS</translation>
    </message>
    <message>
        <source>保存时把铃声的响度调到所选的 LUFS，真峰值不超过 -1 dBTP；选了它，“标准化”就不再起作用</source>
        <translation>On saving, bring the ringtone&apos;s loudness to the chosen LUFS with a true peak of at most -1 dBTP; with it chosen, “Normalise” no longer applies</translation>
    </message>
    <message>
        <source>响度标准化</source>
        <translation>Loudness normalising</translation>
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
    <message>
        <source>保存铃声后</source>
        <translation>After saving</translation>
    </message>
    <message>
        <source>保存后播放提示音</source>
        <translation>Play a chime after saving</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
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
