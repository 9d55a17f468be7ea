#include "datafiles.h"

#include <cstddef>
#include <deque>
#include <map>

#include "image.h"
#include "game/game_index.h"

namespace TestHost {

namespace GI = Velloquin::GameIndex;

namespace {

// A list record of the form file lists table: element pointer, then the count 8 bytes on.
struct FileListRecord {
    DataFile** files = nullptr;
    std::uint32_t count = 0;
    std::uint32_t pad = 0;
};
static_assert(offsetof(FileListRecord, count) == 8);

struct PlayerIdHolder {
    std::uint8_t unused[0x108] = {};
    std::uint64_t id = 0;
};
static_assert(offsetof(PlayerIdHolder, id) == 0x108);

struct DataFileWorld {
    std::deque<std::vector<DataFile*>> listFiles;
    std::deque<FileListRecord> records;
    std::vector<FileListRecord*> table;
    PlayerIdHolder holder;
    // The current load: files by name, forms by (file, local id); origins of every load's forms.
    std::map<std::string, DataFile*> loadedFiles;
    std::map<std::pair<std::string, std::uint32_t>, Form*> loadedForms;
    std::map<const Form*, FormOrigin> origins;
};

DataFileWorld& World() {
    static DataFileWorld world;
    return world;
}

void PublishFileLists() {
    auto& world = World();
    SetGameData<std::uint32_t>(GI::formFileLists, static_cast<std::uint32_t>(world.table.size()));
    SetGameData<FileListRecord**>(GI::formFileLists + 8, world.table.data());
}

void ResetDataFiles() {
    auto& world = World();
    world.listFiles.clear();
    world.records.clear();
    world.table.clear();
    world.loadedFiles.clear();
    world.loadedForms.clear();
    world.origins.clear();
    PublishFileLists();
    world.holder = PlayerIdHolder{};
    world.holder.id = defaultPlayerId;
    SetGameData<PlayerIdHolder*>(GI::playerIdHolder, &world.holder);
}

const bool registered = RegisterResetHook(&ResetDataFiles);

DataFile* AddFile(const std::string& name, std::uint8_t index, std::uint8_t mediumIndex, std::uint16_t smallIndex,
                  std::uint32_t flags, std::vector<DataFile*> DataHandler::*list) {
    (void)registered;
    DataFile* file = MakeDataFile(name);
    if (!file) return nullptr;
    file->index = index;
    file->mediumIndex = mediumIndex;
    file->smallIndex = smallIndex;
    file->flags = flags;
    (Data().*list).push_back(file);
    SyncDataHandler();
    return file;
}

}  // namespace

DataFile* AddFullFile(const std::string& name, std::uint8_t index, std::uint32_t flags) {
    return AddFile(name, index, 0, 0, flags, &DataHandler::fullList);
}

DataFile* AddSmallFile(const std::string& name, std::uint16_t smallIndex, std::uint32_t flags) {
    return AddFile(name, 0xFE, 0, smallIndex, flags, &DataHandler::smallList);
}

DataFile* AddMediumFile(const std::string& name, std::uint8_t mediumIndex, std::uint32_t flags) {
    return AddFile(name, 0xFD, mediumIndex, 0, flags, &DataHandler::mediumList);
}

std::uint32_t RuntimeFormId(const DataFile* file, std::uint32_t localId) {
    const std::uint32_t top = static_cast<std::uint32_t>(file->index) << 24;
    if (file->index == 0xFD) return top + (static_cast<std::uint32_t>(file->mediumIndex) << 16) + localId;
    return top + (static_cast<std::uint32_t>(file->smallIndex) << 12) + localId;
}

std::uint16_t AddFormFileList(const std::vector<DataFile*>& files) {
    auto& world = World();
    std::vector<DataFile*>& stored = world.listFiles.emplace_back(files);
    FileListRecord& record = world.records.emplace_back();
    record.files = stored.data();
    record.count = static_cast<std::uint32_t>(stored.size());
    world.table.push_back(&record);
    PublishFileLists();
    return static_cast<std::uint16_t>(world.table.size() - 1);
}

void SetFormFileList(Form* form, std::uint16_t index) { form->fileListIndex = index; }

Form* DefineForm(DataFile* file, std::uint32_t localId, std::uint8_t type, const std::vector<DataFile*>& overriders,
                 const std::string& name) {
    Form* form = MakeForm(RuntimeFormId(file, localId), type, name);
    std::vector<DataFile*> files{file};
    files.insert(files.end(), overriders.begin(), overriders.end());
    SetFormFileList(form, AddFormFileList(files));
    return form;
}

void LoadGame(const std::vector<LoadOrderFile>& order, const std::vector<ContentForm>& forms) {
    auto& world = World();
    // The forms of the previous load are gone from the game.
    for (const auto& [key, form] : world.loadedForms) SetFormId(form, 0);
    world.loadedForms.clear();
    world.loadedFiles.clear();
    DataHandler& handler = Data();
    handler.fullList.clear();
    handler.smallList.clear();
    handler.mediumList.clear();
    SyncDataHandler();

    std::uint32_t fullIndex = 0;
    std::uint16_t smallIndex = 0;
    std::uint8_t mediumIndex = 0;
    for (const LoadOrderFile& entry : order) {
        DataFile* file = nullptr;
        switch (entry.kind) {
            case FileKind::Full:
                if (fullIndex == 0xFD) fullIndex = 0xFF;  // 0xFD and 0xFE mark the other kinds
                file = AddFullFile(entry.name, static_cast<std::uint8_t>(fullIndex++), entry.flags);
                break;
            case FileKind::Small: file = AddSmallFile(entry.name, smallIndex++, entry.flags); break;
            case FileKind::Medium: file = AddMediumFile(entry.name, mediumIndex++, entry.flags); break;
        }
        if (file) world.loadedFiles[entry.name] = file;
    }

    for (const ContentForm& content : forms) {
        DataFile* file = LoadedFile(content.file);
        if (!file) continue;
        std::vector<DataFile*> overriders;
        for (const std::string& name : content.overriddenBy)
            if (DataFile* overrider = LoadedFile(name)) overriders.push_back(overrider);
        Form* form = DefineForm(file, content.localId, content.type, overriders, content.name);
        world.loadedForms[{content.file, content.localId}] = form;
        world.origins[form] = FormOrigin{content.file, content.localId};
    }
}

DataFile* LoadedFile(const std::string& name) {
    auto& files = World().loadedFiles;
    auto found = files.find(name);
    return found == files.end() ? nullptr : found->second;
}

Form* LoadedForm(const std::string& fileName, std::uint32_t localId) {
    auto& forms = World().loadedForms;
    auto found = forms.find({fileName, localId});
    return found == forms.end() ? nullptr : found->second;
}

FormOrigin OriginOf(const Form* form) {
    auto& origins = World().origins;
    auto found = origins.find(form);
    return found == origins.end() ? FormOrigin{} : found->second;
}

void SetPlayerId(std::uint64_t id) {
    auto& world = World();
    world.holder.id = id;
    SetGameData<PlayerIdHolder*>(GI::playerIdHolder, &world.holder);
}

void RemovePlayerIdHolder() { SetGameData<PlayerIdHolder*>(GI::playerIdHolder, nullptr); }

}  // namespace TestHost
