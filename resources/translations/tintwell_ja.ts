<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>MasterControl</name>
    <message>
        <source>Version %1</source>
        <comment>version text and version with build number</comment>
        <translation>バージョン %1</translation>
    </message>
    <message>
        <source>%1 (Build %2)</source>
        <comment>software version and build number</comment>
        <translation>%1 (ビルド %2)</translation>
    </message>
    <message>
        <source>&lt;br&gt;Detected </source>
        <comment>splashscreen message when monitor detected</comment>
        <translation>&lt;br&gt;検出されました: </translation>
    </message>
    <message>
        <source>&lt;br&gt;Detecting displays...</source>
        <comment>splashscreen message when looking for display</comment>
        <translation>&lt;br&gt;ディスプレイを検出しています...</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Missing message text</source>
        <comment>default text should never see this</comment>
        <translation>メッセージテキストがありません</translation>
    </message>
    <message>
        <source>Unknown Display</source>
        <comment>STR_RES_ID_UNKNOWN_DISPLAY_NAME_AND_DISPLAY</comment>
        <translation>不明なディスプレイ</translation>
    </message>
    <message>
        <source>Display %1 - %2</source>
        <comment>display list string. %1 is display number, %2 is model name</comment>
        <translation>ディスプレイ %1 - %2</translation>
    </message>
</context>
</TS>
