#pragma once
// The Recycle Bin for an offline image on a Windows host: the image's files are host
// files, so a path of the image goes to the host's own bin as the host path it stands
// for.
#include "platform/RecycleBin.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/PortableFileSystem.h"

class ImageRecycleBin : public RecycleBin {
public:
    ImageRecycleBin(PortableFileSystem& image, RecycleBin& host) : image_(image), host_(host) {}
    bool Recycle(const std::string& path) override {
        auto host = image_.ToHost(path);
        return host && host_.Recycle(hostpath::ToUtf8(*host));
    }

private:
    PortableFileSystem& image_;
    RecycleBin& host_;
};
