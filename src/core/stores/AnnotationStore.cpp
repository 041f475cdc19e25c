#include "core/stores/AnnotationStore.h"

#include "core/common/Cp1252.h"
#include "core/common/InputFile.h"
#include "core/common/LittleEndian.h"
#include "core/common/PathResolver.h"
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
const char* const kReadOnlyMessage =
    "Les annotations sont en lecture seule : une autre fen\xEAtre de Tolvane utilise les "
    "m\xEAmes fichiers personnels.";

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
    if (m_files.openForReading(m_pendingPath, pending)) {
        for (const AnnotationLocation& record :
             AnnotationFile::ReadPendingIndex(pending, &m_pendingEnd))
            pendingIndex[record.article] = record.bodyOffset;
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
    pending.close();
    // The texts of a run that did not close normally become permanent now;
    // if .NOT cannot be written they stay pending, and the next append goes
    // after the last whole record, over any torn one.
    if (!pendingIndex.empty() && writePermanent() != 0)
        return;
    pendingIndex.clear();
    m_pendingEnd = 0;
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
                                       std::string* error) {
    if (article <= 0)
        return true;
    if (m_readOnly) {
        std::string current;
        if (latestText(article, current) && text == current)
            return true;
        if (error)
            *error = kReadOnlyMessage;
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
    DeleteFileQuietly(m_pendingPath);
    return true;
}

const std::string& AnnotationStore::AnnotationFileName(bool permanent) const {
    return permanent ? m_permanentPath : m_pendingPath;
}

bool AnnotationStore::ReadAnnotationAt(const std::string& path, uint64_t offset,
                                       std::string& text) const {
    text.clear();
    if (m_readOnly) {
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
    bodyOffset = m_pendingEnd + AnnotationFile::kArticleSize;
    m_pendingEnd += record.size();
    return 0;
}

void AnnotationStore::DeleteFileQuietly(const std::string& path) {
    m_files.remove(path);
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
    InputFile pending;
    if (!savedIndex.empty() && !m_files.openForReading(m_permanentPath, permanent))
        return EIO;
    if (!pendingIndex.empty() && !m_files.openForReading(m_pendingPath, pending))
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
    pending.close();
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
