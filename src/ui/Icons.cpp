#include "ui/Icons.h"

#include <array>

// The pictures live in a static library, whose resources must be registered by hand.
static void RegisterIconResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)done;
}

namespace qx::ui {

namespace {

constexpr std::array<const char*, kImageList1Count> kList1 = {
    "l1_00_exit",   "l1_01_load",       "l1_02_save",       "l1_03_print",     "l1_04_cut",
    "l1_05_reload", "l1_06_up",         "l1_07_down",       "l1_08_setting",   "l1_09_about",
    "l1_10_copy",   "l1_11_top",        "l1_12_bottom",     "l1_13_delete",    "l1_14_undelete",
    "l1_15_help",   "l1_16_deletenode", "l1_17_listtop",    "l1_18_listbottom", "l1_19_find",
    "l1_20_folderup", "l1_21_msgform",  "l1_22_graph"};

constexpr std::array<const char*, kImageList2Count> kList2 = {
    "l2_00_folder",     "l2_01_folderopen", "l2_02_bin",   "l2_03_binrecycle",
    "l2_04_personblue", "l2_05_personred",  "l2_06_clip",  "l2_07_one",
    "l2_08_two",        "l2_09_group",      "l2_10_padlock", "l2_11_envelope"};

template <std::size_t N>
QIcon Load(const std::array<const char*, N>& names, std::array<QIcon, N>& cache, int index) {
    if (index < 0 || index >= static_cast<int>(N)) return QIcon();
    RegisterIconResources();
    QIcon& icon = cache[static_cast<std::size_t>(index)];
    if (icon.isNull()) icon = QIcon(QStringLiteral(":/icons/%1.svg").arg(names[static_cast<std::size_t>(index)]));
    return icon;
}

}  // namespace

QIcon ImageList1(int index) {
    static std::array<QIcon, kImageList1Count> cache;
    return Load(kList1, cache, index);
}

QIcon ImageList2(int index) {
    static std::array<QIcon, kImageList2Count> cache;
    return Load(kList2, cache, index);
}

}  // namespace qx::ui
