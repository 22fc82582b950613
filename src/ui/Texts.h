#pragma once
// The program's own texts, exactly as the user reads them.

inline constexpr const char* kAppTitle = "ぽるてお";
inline constexpr const char* kLabelOpeningName = "開時点ファイル名";
inline constexpr const char* kLabelNameBefore = "変更前ファイル名";
inline constexpr const char* kLabelNameAfter = "変更後ファイル名";
inline constexpr const char* kRenameButton = "変更";
inline constexpr const char* kMenuFile = "ファイル(&F)";
inline constexpr const char* kMenuOpen = "フォルダ選択(&O)";
inline constexpr const char* kMenuExit = "終了(&X)";
inline constexpr const char* kMenuShow = "表示(&V)";
inline constexpr const char* kMenuSlideshowStart = "スライドショウ開始(&S)";
inline constexpr const char* kMenuSlideshowStop = "スライドショウ終了(&E)";
inline constexpr const char* kMenuHelp = "ヘルプ(&H)";
inline constexpr const char* kMenuOperation = "操作(&O)";
inline constexpr const char* kMenuVersion = "バージョン(&V)";
inline constexpr const char* kHelpMessage = "F1:フォルダ選択\r\nF2:前候補\r\nF4:後候補\r\nF5:変更";
inline constexpr const char* kVersionMessage = "ぽるてお Ver.1.0.0.0";
inline constexpr const char* kFolderPrompt = "フォルダを選択してください。";
inline constexpr const char* kProportionalFont = "ＭＳ Ｐゴシック";
inline constexpr const char* kFixedPitchFont = "ＭＳ ゴシック";
