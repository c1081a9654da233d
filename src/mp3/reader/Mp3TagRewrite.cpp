#include "mp3/reader/Mp3TagRewrite.h"

#include "stream/FileRewrite.h"
#include "stream/NxRef.h"

void rewriteMp3Tags(const std::string& path, const CNxSSMp3File::TagBytes& id3v1,
                    const tags::TagEdit& edit) {
    rewriteThroughCopy(path, [&](const std::string& copy) {
        if (!tags::writeExtendedTags(copy, edit)) {
            return false;
        }
        MakeNx<CNxSSMp3File>(copy)->WriteTag(id3v1);
        return true;
    });
}
