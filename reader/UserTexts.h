// Every text the user or the host sees, as the GBK bytes that are shown.
#pragma once

namespace texts {
// "文件已破坏": the file is damaged.
inline constexpr char kFileDamaged[] = "\xce\xc4\xbc\xfe\xd2\xd1\xc6\xc6\xbb\xb5";
// "不是TRQ格式文件": not a TRQ format file.
inline constexpr char kNotSceneFile[] = "\xb2\xbb\xca\xc7TRQ\xb8\xf1\xca\xbd\xce\xc4\xbc\xfe";
inline constexpr char kStartImportError[] = "GB_StartImport error";
inline constexpr char kCameraSectionError[] = "Output Camera Error";
// "此操作将清除当前场景，是否继续?": this will clear the current scene; continue?
inline constexpr char kClearSceneQuestion[] =
    "\xb4\xcb\xb2\xd9\xd7\xf7\xbd\xab\xc7\xe5\xb3\xfd\xb5\xb1\xc7\xb0\xb3\xa1\xbe\xb0"
    "\xa3\xac\xca\xc7\xb7\xf1\xbc\xcc\xd0\xf8?";
// "3DMax输入": 3DMax import, the caption of the question.
inline constexpr char kQuestionCaption[] = "3DMax\xca\xe4\xc8\xeb";
// "Kvd文件 (*.kvd)|*.kvd|所有文件(*.*)|*.*||": kvd files, then all files.
inline constexpr char kSceneFileFilter[] =
    "Kvd\xce\xc4\xbc\xfe (*.kvd)|*.kvd|\xcb\xf9\xd3\xd0\xce\xc4\xbc\xfe(*.*)|*.*||";
// "相机1": camera 1, the name of the fixed default camera.
inline constexpr char kDefaultCameraName[] = "\xcf\xe0\xbb\xfa" "1";
}  // namespace texts
