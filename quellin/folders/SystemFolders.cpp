// Construction and the resolving order of the folder table.
#include "folders/SystemFolders.h"

#include "folders/AttachRecord.h"
#include "platform/WideText.h"

namespace {

const char* const kSlotNames[] = {
#define QUELLIN_SLOT_NAME(number, constant, name) #name,
    QUELLIN_SLOTS(QUELLIN_SLOT_NAME)
#undef QUELLIN_SLOT_NAME
};

const wchar_t* const kWideSlotNames[] = {
#define QUELLIN_WIDE_SLOT_NAME(number, constant, name) L## #name,
    QUELLIN_SLOTS(QUELLIN_WIDE_SLOT_NAME)
#undef QUELLIN_WIDE_SLOT_NAME
};

constexpr QuellinSlot kSlotNumbers[] = {
#define QUELLIN_SLOT_NUMBER(number, constant, name) constant,
    QUELLIN_SLOTS(QUELLIN_SLOT_NUMBER)
#undef QUELLIN_SLOT_NUMBER
};

constexpr bool SlotsNumberedInOrder() {
    for (int i = 0; i < QUELLIN_SLOT_COUNT; ++i)
        if (kSlotNumbers[i] != i)
            return false;
    return true;
}
static_assert(sizeof kSlotNames / sizeof kSlotNames[0] == QUELLIN_SLOT_COUNT &&
                  SlotsNumberedInOrder(),
              "the slot list numbers its slots 0, 1, 2, ... in order");

} // namespace

CSystemFolders::CSystemFolders() : context_(AttachContext::Take()) {
    ResolveAll();
    attachEntries_ = AttachRecordOf(context_);
    attachRecord_ = attachEntries_.Text();
}

CSystemFolders::CSystemFolders(AttachContext context,
                               const std::vector<std::pair<QuellinSlot, std::string>>& slots)
    : context_(std::move(context)) {
    for (const auto& slot : slots)
        slots_[slot.first] = slot.second;
}

// Later resolvers build defaults from earlier slots; those of the program-files and Windows
// folders ask for their folder afresh, so the shared-component folders may come first.
//
// The program-files folder is resolved several times (steps 1 to 3, its own turn, and the
// maker's folder on Terminal Server). Up to the maker's folder no step changes the disk for
// good: write tests remove what they create, and the other steps only read. So the outcome of
// a write test made in that stretch is kept and not probed again; from the documents folder
// on, which may create folders, nothing is kept.
void CSystemFolders::ResolveAll() {
    context_.KeepWriteTests(true);
    ResolveBdeFolder(QUELLIN_BDE_FOLDER);
    ResolveDaoFolder(QUELLIN_DAO_FOLDER);
    ResolveOdbcFolder(QUELLIN_ODBC_FOLDER);
    ResolveWindowsFolder(QUELLIN_WINDOWS_FOLDER);
    ResolveProgramFilesFolder(QUELLIN_PROGRAM_FILES_FOLDER, ProgramFilesKind::ProgramFiles);
    ResolveSystemFolder(QUELLIN_SYSTEM_FOLDER);
    ResolveSendToFolder(QUELLIN_SEND_TO_FOLDER);
    ResolveTemplatesFolder(QUELLIN_TEMPLATES_FOLDER);
    ResolveStartMenuFolder(QUELLIN_START_MENU_FOLDER, Owner::AllUsers);
    ResolveProgramsFolder(QUELLIN_PROGRAMS_FOLDER, Owner::AllUsers);
    ResolveStartupFolder(QUELLIN_STARTUP_FOLDER, QUELLIN_COMMON_STARTUP_FOLDER);
    ResolveDesktopFolder(QUELLIN_DESKTOP_FOLDER, Owner::AllUsers);
    ResolveFontsFolder(QUELLIN_FONTS_FOLDER);
    ResolveTempFolder(QUELLIN_TEMP_FOLDER);
    ResolveModuleFolder(QUELLIN_MODULE_FOLDER);
    ResolveRundleFolder(QUELLIN_RUNDLE_FOLDER);
    context_.KeepWriteTests(false);
    ResolvePersonalFolder(QUELLIN_PERSONAL_FOLDER);
    ResolveMyPicturesFolder(QUELLIN_MY_PICTURES_FOLDER);
    ResolveSuiteDestinationFolder(QUELLIN_SUITE_DESTINATION_FOLDER);

    for (int slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot) {
        records_[slot].Close(!slots_[slot].empty());
        sourceRecords_[slot] = records_[slot].Text();
    }
}

CSystemFolders::~CSystemFolders() {
    for (std::atomic<std::wstring*>& record : wideRecords_)
        delete record.load();
}

std::wstring CSystemFolders::WideText(QuellinSlot slot) const {
    return wide_[slot].empty() ? WideFromAnsi(slots_[slot]) : wide_[slot];
}

namespace {

// A record converted to wide text when first asked for: the first caller to convert it
// publishes it; another that raced it drops its own copy.
const wchar_t* WideRecord(std::atomic<std::wstring*>& wide, const std::string& record) {
    std::wstring* text = wide.load(std::memory_order_acquire);
    if (text == nullptr) {
        auto* converted = new std::wstring(WideFromAnsi(record));
        if (wide.compare_exchange_strong(text, converted, std::memory_order_acq_rel))
            text = converted;
        else
            delete converted;
    }
    return text->c_str();
}

} // namespace

const wchar_t* CSystemFolders::WideSourceRecord(QuellinSlot slot) const {
    return WideRecord(wideRecords_[slot], sourceRecords_[slot]);
}

const wchar_t* CSystemFolders::WideAttachRecord() const {
    return WideRecord(wideRecords_[QUELLIN_SLOT_COUNT], attachRecord_);
}

const char* CSystemFolders::SlotName(QuellinSlot slot) {
    return kSlotNames[slot];
}

const wchar_t* CSystemFolders::SlotNameW(QuellinSlot slot) {
    return kWideSlotNames[slot];
}

void CSystemFolders::Resolve(QuellinSlot slot, const std::vector<Step>& steps) {
    Chain chain(*this, slot);
    for (const Step& step : steps) {
        chain.Try(step);
        if (chain.Ended())
            return;
    }
}
