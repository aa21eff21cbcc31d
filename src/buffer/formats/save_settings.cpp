// Kept apart from the writers so that they link without the settings files.
#include "buffer/formats/file_writers.h"
#include "platform/profile.h"

namespace burnmark {

SaveSettings ReadSaveSettings(const Profile& history) {
    SaveSettings s;
    s.Name = history.ReadString("SaveDlg", "Name", "None");
    s.SourceSAdd = history.ReadInteger("SaveDlg", "SourceSAdd", 0);
    s.SourceEAdd = history.ReadInteger("SaveDlg", "SourceEAdd", 0);
    s.Format = SaveFormatFromSetting(history.ReadInteger("SaveDlg", "Format", 0));
    return s;
}

SaveResult SaveBufferToFile(const Profile& history, std::span<const uint8_t> buffer,
                            Progress& progress) {
    return SaveBufferToFile(ReadSaveSettings(history), buffer, progress);
}

}  // namespace burnmark
