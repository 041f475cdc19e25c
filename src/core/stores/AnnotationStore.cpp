// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/stores/AnnotationStore.h"

#include "core/common/Cp1252.h"
#include "core/common/InputFile.h"
#include "core/common/LittleEndian.h"
#include "core/common/PathResolver.h"
#include "core/common/UserFileSafety.h"
#include "core/stores/AnnotationFile.h"

#include <cerrno>
#include <cstdint>
#include <limits>

namespace tolvane {

namespace {

const char* const kPermanentExtension = ".NOT";
const char* const kPendingExtension = ".NO$";
const char* const kAnnotationsWhat = "les annotations";
const char* const kAnnotationWhat = "l'annotation";
const std::string& readOnlyMessage() {
    static const std::string message =
        cp1252::fromUtf8("Les annotations sont en lecture seule : une autre fenêtre de Tolvane "
                         "utilise les mêmes fichiers personnels.");
    return message;
}

} // namespace

AnnotationStore::AnnotationStore(FileOperations& files) : m_files(files) {}

void AnnotationStore::OpenAnnotations(const std::string& userBase, bool readOnly) {
    m_readOnly = readOnly;
    m_permanentSnapshot.close();
    m_pendingSnapshot.close();
    loadedText.clear();
    m_loadedArticle = 0;
    savedIndex.clear();
    pendingIndex.clear();
    m_unwritten.clear();
    m_pendingEnd = 0;
    m_permanentUnreadable = false;
    m_permanentDamaged = false;

    const std::string base = cp1252::toUtf8(userBase);
    m_permanentPath = PathResolver::fileOfBase(base, kPermanentExtension);
    m_pendingPath = PathResolver::fileOfBase(base, kPendingExtension);

    InputFile permanent;
    if (m_files.openForReading(m_permanentPath, permanent)) {
        bool whole = true;
        for (const AnnotationLocation& record :
             AnnotationFile::ReadPermanentIndex(permanent, &whole))
            savedIndex[record.article] = record.bodyOffset;
        m_permanentDamaged = !whole;
    } else {
        m_permanentUnreadable = PathResolver::exists(m_permanentPath);
    }

    InputFile pending;
    // The pending file of a run that did not close is ours only when it is
    // our own regular file; one that is a link, or another user's, is read
    // for what it shows, its texts held in memory until the save, and never
    // written or read at offsets again.
    bool ownPending = true;
    if (m_readOnly ||
        m_files.openOwnForReading(m_pendingPath, pending) == UserFileSafety::kNotOwnRegularFile) {
        ownPending = m_readOnly;
        m_files.openForReading(m_pendingPath, pending);
    }
    if (pending.isOpen()) {
        uint64_t end = 0;
        for (const AnnotationLocation& record : AnnotationFile::ReadPendingIndex(pending, &end)) {
            if (ownPending) {
                pendingIndex[record.article] = record.bodyOffset;
            } else {
                std::string text;
                AnnotationFile::ReadBodyAt(pending, record.bodyOffset, text);
                m_unwritten[record.article] = std::move(text);
            }
        }
        if (ownPending)
            m_pendingEnd = end;
    }
    if (m_readOnly) {
        // The other run's texts of this moment, .NO$ over .NOT as for it.
        m_permanentSnapshot = std::move(permanent);
        m_pendingSnapshot = std::move(pending);
        return;
    }
    permanent.close();
    if (!pending.isOpen())
        return;
    if (ownPending)
        m_pendingSnapshot = std::move(pending);
    pending.close();
    // The texts of a run that did not close normally become permanent now;
    // if .NOT cannot be written they stay pending, and the next append goes
    // after the last whole record, over any torn one.
    if ((!pendingIndex.empty() || !m_unwritten.empty()) && writePermanent() != 0)
        return;
    m_pendingSnapshot.close();
    m_unwritten.clear();
    pendingIndex.clear();
    m_pendingEnd = 0;
    // Removes the name only: a link goes, whatever it pointed to stays.
    DeleteFileQuietly(m_pendingPath);
}

std::string AnnotationStore::LoadAnnotation(ArticleNumber article) {
    std::string text;
    if (!latestText(article, text))
        text.clear();
    m_loadedArticle = article;
    loadedText = text;
    return text;
}

bool AnnotationStore::CommitAnnotation(ArticleNumber article, std::string_view text,
                                       std::string* error, int* errorNumber) {
    if (article <= 0)
        return true;
    if (m_readOnly) {
        std::string current;
        if (latestText(article, current) && text == current)
            return true;
        if (error)
            *error = readOnlyMessage();
        return false;
    }
    if (article == m_loadedArticle) {
        if (text == loadedText)
            return true;
    } else {
        std::string current;
        if (latestText(article, current) && text == current)
            return true;
    }
    if (article == m_loadedArticle)
        loadedText = text;

    uint64_t bodyOffset = 0;
    const int err = AppendPending(article, text, bodyOffset);
    if (err != 0) {
        m_unwritten[article] = std::string(text);
        if (errorNumber)
            *errorNumber = err;
        if (error)
            *error = FileOperations::saveFailureMessage(kAnnotationWhat, m_pendingPath, err);
        return false;
    }
    m_unwritten.erase(article);
    pendingIndex[article] = bodyOffset;
    return true;
}

bool AnnotationStore::SaveAnnotations(std::string* error) {
    if (m_readOnly)
        return true;
    const int err = writePermanent();
    if (err != 0) {
        if (error)
            *error = FileOperations::saveFailureMessage(kAnnotationsWhat, m_permanentPath, err);
        return false;
    }
    m_unwritten.clear();
    pendingIndex.clear();
    m_pendingEnd = 0;
    m_pendingSnapshot.close();
    DeleteFileQuietly(m_pendingPath);
    return true;
}

const std::string& AnnotationStore::AnnotationFileName(bool permanent) const {
    return permanent ? m_permanentPath : m_pendingPath;
}

bool AnnotationStore::ReadAnnotationAt(const std::string& path, uint64_t offset,
                                       std::string& text) const {
    text.clear();
    if (m_readOnly || path == m_pendingPath) {
        const InputFile& kept = path == m_pendingPath ? m_pendingSnapshot : m_permanentSnapshot;
        return kept.isOpen() && AnnotationFile::ReadBodyAt(kept, offset, text);
    }
    InputFile file;
    if (!m_files.openForReading(path, file))
        return false;
    return AnnotationFile::ReadBodyAt(file, offset, text);
}

int AnnotationStore::AppendPending(ArticleNumber article, std::string_view text,
                                   uint64_t& bodyOffset) {
    if (m_pendingPath.empty())
        return EINVAL;
    if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        return EFBIG;
    std::string record;
    record.reserve(AnnotationFile::kArticleSize + AnnotationFile::kLengthSize + text.size());
    AnnotationFile::AppendRecord(record, article, text);
    const int err = m_files.appendSynced(m_pendingPath, m_pendingEnd, record);
    if (err != 0)
        return err;
    // The file written is held from its first record on, so that the texts
    // are read back from it whatever is put at its name later (another
    // user's link or file, in a folder others can write).
    if (!m_pendingSnapshot.isOpen()) {
        if (const int openError = m_files.openOwnForReading(m_pendingPath, m_pendingSnapshot))
            return openError;
    } else {
        m_pendingSnapshot.updateSize();
    }
    if (m_pendingSnapshot.size() < m_pendingEnd + record.size())
        return EIO;
    bodyOffset = m_pendingEnd + AnnotationFile::kArticleSize;
    m_pendingEnd += record.size();
    return 0;
}

void AnnotationStore::DeleteFileQuietly(const std::string& path) {
    m_files.remove(path);
}

std::map<ArticleNumber, std::string> AnnotationStore::AnnotationTexts() const {
    std::map<ArticleNumber, std::string> texts;
    for (const Index* index : {&savedIndex, &pendingIndex}) {
        for (const auto& entry : *index)
            texts[entry.first];
    }
    for (const auto& entry : m_unwritten)
        texts[entry.first];
    for (auto it = texts.begin(); it != texts.end();) {
        if (latestText(it->first, it->second) && !it->second.empty())
            ++it;
        else
            it = texts.erase(it);
    }
    return texts;
}

bool AnnotationStore::latestText(ArticleNumber article, std::string& text) const {
    text.clear();
    if (const auto it = m_unwritten.find(article); it != m_unwritten.end()) {
        text = it->second;
        return true;
    }
    if (const auto it = pendingIndex.find(article); it != pendingIndex.end())
        return ReadAnnotationAt(m_pendingPath, it->second, text);
    if (const auto it = savedIndex.find(article); it != savedIndex.end())
        return ReadAnnotationAt(m_permanentPath, it->second, text);
    return true;
}

int AnnotationStore::writePermanent() {
    if (m_permanentPath.empty())
        return EINVAL;
    if (m_permanentUnreadable)
        return EACCES;
    InputFile permanent;
    if (!savedIndex.empty() && !m_files.openForReading(m_permanentPath, permanent))
        return EIO;
    const InputFile& pending = m_pendingSnapshot;
    if (!pendingIndex.empty() && !pending.isOpen())
        return EIO;

    std::map<ArticleNumber, const std::string*> sources;
    for (const auto& entry : savedIndex)
        sources[entry.first] = nullptr;
    for (const auto& entry : pendingIndex)
        sources[entry.first] = nullptr;
    for (const auto& entry : m_unwritten)
        sources[entry.first] = &entry.second;

    std::string bytes;
    appendI32LE(bytes, 0);
    int32_t count = 0;
    Index written;
    std::string text;
    for (const auto& [article, memoryText] : sources) {
        // A text that cannot be read back is not dropped silently: the save
        // fails and the files stay as they are.
        if (memoryText) {
            text = *memoryText;
        } else if (const auto p = pendingIndex.find(article); p != pendingIndex.end()) {
            if (!AnnotationFile::ReadBodyAt(pending, p->second, text))
                return EIO;
        } else if (!AnnotationFile::ReadBodyAt(permanent, savedIndex.at(article), text)) {
            return EIO;
        }
        if (text.empty())
            continue;
        written[article] = bytes.size() + AnnotationFile::kArticleSize;
        AnnotationFile::AppendRecord(bytes, article, text);
        ++count;
    }
    std::string countBytes;
    appendI32LE(countBytes, count);
    bytes.replace(0, countBytes.size(), countBytes);

    permanent.close();
    // What the reader could not make sense of is not ours to drop.
    if (m_permanentDamaged) {
        if (const int err = m_files.keepCopy(m_permanentPath); err != 0)
            return err;
        m_permanentDamaged = false;
    }
    if (const int err = m_files.replaceAtomically(m_permanentPath, bytes); err != 0)
        return err;
    savedIndex = std::move(written);
    return 0;
}

} // namespace tolvane
