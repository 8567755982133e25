#include "settings/library.h"

#include "render/strtoint.h"

#include <algorithm>

namespace plavik {

namespace {

const QString kSection = QStringLiteral("Library");

// A value's text; nothing when it is missing or not text.
std::optional<QString> Read(SettingsStore& store, const QString& name) {
    try {
        return store.ReadText(kSection, name);
    } catch (const StoreError&) {
        return std::nullopt;
    }
}

int ReadInt(SettingsStore& store, const QString& name, int fallback) {
    const std::optional<QString> text = Read(store, name);
    if (!text)
        return fallback;
    return TextToInt(text->toStdString()).value_or(fallback);
}

// Numbered values Name1, Name2 ... up to the first missing or empty one, or `most`.
QStringList ReadList(SettingsStore& store, const QString& name, int most) {
    QStringList list;
    for (int i = 1; i <= most; ++i) {
        const std::optional<QString> text = Read(store, name + QString::number(i));
        if (!text || text->isEmpty())
            break;
        list << *text;
    }
    return list;
}

// Writes the list as Name1 ... and one empty value after it, which ends it for the reader.
void WriteList(SettingsStore& store, const QString& name, const QStringList& list) {
    for (qsizetype i = 0; i < list.size(); ++i)
        store.WriteText(kSection, name + QString::number(i + 1), list[i]);
    store.WriteText(kSection, name + QString::number(list.size() + 1), QString());
}

constexpr int kMostRoots = 100;

} // namespace

LibraryState LoadLibraryState(SettingsStore& store) {
    LibraryState state;
    state.lastFolder = Read(store, QStringLiteral("LastFolder")).value_or(QString());
    state.lastKind =
        ReadInt(store, QStringLiteral("LastKind"), 0) == 1 ? ListKind::Drawings : ListKind::Figures;
    state.lastTodays = ReadInt(store, QStringLiteral("LastTodays"), 1) != 0;
    state.reopenLast = ReadInt(store, QStringLiteral("ReopenLast"), 1) != 0;
    state.recent = ReadList(store, QStringLiteral("Recent"), kRecentFolders);
    state.roots = ReadList(store, QStringLiteral("Root"), kMostRoots);
    state.treeWidth = std::clamp(ReadInt(store, QStringLiteral("TreeWidth"), state.treeWidth), 0, 4000);
    state.quickViewWidth = std::clamp(ReadInt(store, QStringLiteral("QuickViewWidth"), state.quickViewWidth),
                                      kLeastQuickViewPanel, 4000);
    state.openFolder = Read(store, QStringLiteral("OpenFolder")).value_or(QString());
    state.openFilter = Read(store, QStringLiteral("OpenFilter")).value_or(QString());
    state.viewerBounds =
        QByteArray::fromBase64(Read(store, QStringLiteral("ViewerBounds")).value_or(QString()).toLatin1());
    return state;
}

void SaveLibraryState(SettingsStore& store, const LibraryState& state) {
    store.WriteText(kSection, QStringLiteral("LastFolder"), state.lastFolder);
    store.WriteText(kSection, QStringLiteral("LastKind"),
                    QString::number(state.lastKind == ListKind::Drawings ? 1 : 0));
    store.WriteText(kSection, QStringLiteral("LastTodays"), QString::number(state.lastTodays ? 1 : 0));
    store.WriteText(kSection, QStringLiteral("ReopenLast"), QString::number(state.reopenLast ? 1 : 0));
    WriteList(store, QStringLiteral("Recent"), state.recent.mid(0, kRecentFolders));
    WriteList(store, QStringLiteral("Root"), state.roots.mid(0, kMostRoots));
    store.WriteText(kSection, QStringLiteral("TreeWidth"), QString::number(state.treeWidth));
    store.WriteText(kSection, QStringLiteral("QuickViewWidth"), QString::number(state.quickViewWidth));
    store.WriteText(kSection, QStringLiteral("OpenFolder"), state.openFolder);
    store.WriteText(kSection, QStringLiteral("OpenFilter"), state.openFilter);
    store.WriteText(kSection, QStringLiteral("ViewerBounds"),
                    QString::fromLatin1(state.viewerBounds.toBase64()));
}

QStringList WithRecentFolder(QStringList recent, const QString& folder) {
    recent.removeAll(folder);
    recent.prepend(folder);
    return recent.mid(0, kRecentFolders);
}

} // namespace plavik
