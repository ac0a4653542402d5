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
    <name>FileDialog</name>
    <message>
        <source>%1 已存在。
要替换它吗?</source>
        <translation>%1 already exists.
Do you want to replace it?</translation>
    </message>
</context>
<context>
    <name>RandomCut</name>
    <message>
        <source>请先播放音乐</source>
        <translation>Please play the music first</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>未能找到长于5秒的片段</source>
        <translation>Could not find a stretch longer than 5 seconds</translation>
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
</TS>
