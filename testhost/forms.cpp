#include "forms.h"

#include <deque>
#include <map>
#include <memory>

#include "image.h"
#include "game/game_index.h"
#include "recorder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace TestHost {

namespace GI = Velloquin::GameIndex;

namespace {

struct FormWorld {
    std::deque<Form> forms;
    std::deque<PooledString> strings;
    std::deque<WeaponData> weaponData;
    std::map<std::uint32_t, Form*> byId;
    std::unique_ptr<DataHandler> handler;
    std::size_t dataFilesUsed = 0;
};

FormWorld& World() {
    static FormWorld world;
    return world;
}

// --- virtual operations of forms, of the exact types the plug-in calls them
// with (the object as const void*)
std::uint32_t FormTypeSlot(const void* object) { return static_cast<const Form*>(object)->type; }
const char* FormEditorIdSlot(const void* object) {
    const auto* form = static_cast<const Form*>(object);
    return form->editorId.empty() ? nullptr : form->editorId.c_str();
}
void* UnexpectedFormSlot(const Form* form) {
    Record("unexpected virtual call on form " + std::to_string(form->formId));
    return nullptr;
}

void* const* FormTable() {
    static void* table[80];
    static bool filled = false;
    if (!filled) {
        for (auto& slot : table) slot = reinterpret_cast<void*>(&UnexpectedFormSlot);
        table[34] = reinterpret_cast<void*>(&FormTypeSlot);
        table[77] = reinterpret_cast<void*>(&FormEditorIdSlot);
        filled = true;
    }
    return table;
}

// --- game functions
Form* HostLookupFormByID(std::uint32_t formId) {
    auto& byId = World().byId;
    auto found = byId.find(formId);
    return found == byId.end() ? nullptr : found->second;
}

const char* HostFormDisplayName(const Form* form) {
    if (!form || form->nullName) return nullptr;
    return form->name.c_str();
}

void* HostKeywordHolderCast(Form* form, std::int64_t, const void* from, const void* to, std::int32_t) {
    if (from != GameAddress(GI::formTypeDescriptor) || to != GameAddress(GI::keywordHolderTypeDescriptor)) {
        Record("keyword holder cast with unknown type descriptors");
        return nullptr;
    }
    if (!form || !form->keywordHolderCastable) return nullptr;
    form->holder.keywords = form->keywords.data();
    form->holder.count = static_cast<std::uint32_t>(form->keywords.size());
    return &form->holder;
}

// Data files must lie above 1 TiB; they come from one reservation up there.
constexpr std::size_t dataFilePoolSize = 0x400000;
unsigned char* DataFilePool() {
    static unsigned char* pool = [] {
        void* hint = reinterpret_cast<void*>(0x20000000000);
#ifdef _WIN32
        void* p = VirtualAlloc(hint, dataFilePoolSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
#else
        void* p = mmap(hint, dataFilePoolSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) p = nullptr;
#endif
        return static_cast<unsigned char*>(p);
    }();
    return pool;
}

void ResetForms() {
    auto& world = World();
    world.forms.clear();
    world.strings.clear();
    world.weaponData.clear();
    world.byId.clear();
    world.handler = std::make_unique<DataHandler>();
    world.dataFilesUsed = 0;
    SetGameData<void*>(GI::dataHandler, world.handler.get());
}

const bool registered = RegisterDefaultFunction(GI::LookupFormByID, &HostLookupFormByID) &&
                        RegisterDefaultFunction(GI::formDisplayName, &HostFormDisplayName) &&
                        RegisterDefaultFunction(GI::keywordHolderCast, &HostKeywordHolderCast) &&
                        RegisterResetHook(&ResetForms);

}  // namespace

Form* MakeForm(std::uint32_t formId, std::uint8_t type, const std::string& name, const std::string& editorId) {
    (void)registered;
    auto& world = World();
    Form& form = world.forms.emplace_back();
    form.table = FormTable();
    form.formId = formId;
    form.type = type;
    form.name = name;
    form.editorId = editorId;
    if (formId) world.byId[formId] = &form;
    return &form;
}

PooledString* MakePooledString(const std::string& text, bool indirect) {
    PooledString& entry = World().strings.emplace_back();
    entry.length = static_cast<std::uint32_t>(text.size());
    entry.flags = indirect ? 0x2 : 0;
    text.copy(entry.text, sizeof entry.text - 1);
    return &entry;
}

Form* MakeKeyword(std::uint32_t formId, const std::string& editorId, const std::string& name, const std::string& text,
                  bool textIsReference) {
    Form* keyword = MakeForm(formId, typeKeyword, name, editorId);
    keyword->keywordText = MakePooledString(text, textIsReference);
    return keyword;
}

void AddKeyword(Form* form, Form* keyword) { form->keywords.push_back(keyword); }

void SetAmmunition(Form* weapon, Form* ammunition) {
    if (!ammunition) {
        weapon->weaponData = nullptr;
        return;
    }
    WeaponData& data = World().weaponData.emplace_back();
    data.ammunition = ammunition;
    weapon->weaponData = &data;
}

Form* FindForm(std::uint32_t formId) { return HostLookupFormByID(formId); }

void SetFormId(Form* form, std::uint32_t formId) {
    auto& byId = World().byId;
    auto found = byId.find(form->formId);
    if (found != byId.end() && found->second == form) byId.erase(found);
    form->formId = formId;
    if (formId) byId[formId] = form;
}

DataHandler& Data() {
    if (!World().handler) ResetForms();
    return *World().handler;
}

void SetDataHandlerPresent(bool present) {
    SetGameData<void*>(GI::dataHandler, present ? &Data() : nullptr);
}

void SyncDataHandler() {
    DataHandler& handler = Data();
    handler.keywords = handler.keywordList.data();
    handler.keywordCount = static_cast<std::uint32_t>(handler.keywordList.size());
    handler.powers = handler.powerList.data();
    handler.powerCount = static_cast<std::uint32_t>(handler.powerList.size());
    handler.fullFiles = handler.fullList.data();
    handler.fullCount = static_cast<std::uint32_t>(handler.fullList.size());
    handler.smallFiles = handler.smallList.data();
    handler.smallCount = static_cast<std::uint32_t>(handler.smallList.size());
    handler.mediumFiles = handler.mediumList.data();
    handler.mediumCount = static_cast<std::uint32_t>(handler.mediumList.size());
}

void AddKeywordToGame(Form* keyword) {
    Data().keywordList.push_back(keyword);
    SyncDataHandler();
}

void AddPowerToGame(Form* power) {
    Data().powerList.push_back(power);
    SyncDataHandler();
}

DataFile* MakeDataFile(const std::string& name) {
    auto& world = World();
    const std::size_t slot = (sizeof(DataFile) + 15) & ~std::size_t{15};
    unsigned char* pool = DataFilePool();
    if (!pool || (world.dataFilesUsed + 1) * slot > dataFilePoolSize) return nullptr;
    auto* file = new (pool + world.dataFilesUsed++ * slot) DataFile{};
    file->table = reinterpret_cast<void* const*>(GameAddress(GI::dataFileTypeMark));
    name.copy(file->name, sizeof file->name - 1);
    return file;
}

}  // namespace TestHost
