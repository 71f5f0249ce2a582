// The texts of the plug-in's own dialogs, as the GBK bytes that are shown.
#pragma once

namespace texts {
// "此操作将清除当前场景，是否继续?": this will clear the current scene; continue?
inline constexpr char kClearSceneQuestion[] =
    "\xb4\xcb\xb2\xd9\xd7\xf7\xbd\xab\xc7\xe5\xb3\xfd\xb5\xb1\xc7\xb0\xb3\xa1\xbe\xb0"
    "\xa3\xac\xca\xc7\xb7\xf1\xbc\xcc\xd0\xf8?";
// "3DMax输入": 3DMax import, the caption of the question.
inline constexpr char kQuestionCaption[] = "3DMax\xca\xe4\xc8\xeb";
// "Kvd文件 (*.kvd)|*.kvd|所有文件(*.*)|*.*||": kvd files, then all files.
inline constexpr char kSceneFileFilter[] =
    "Kvd\xce\xc4\xbc\xfe (*.kvd)|*.kvd|\xcb\xf9\xd3\xd0\xce\xc4\xbc\xfe(*.*)|*.*||";
}  // namespace texts
