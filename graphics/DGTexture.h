#pragma once
// TDGTexture: one texture on the device (level 0 is the only level written) plus what
// it takes to fill it from a BMP picture and to bring it back after the device was
// destroyed or reset.
#include "base/Stream.h"
#include "graphics/Bitmap.h"
#include "graphics/DODozuz9.h"
#include "graphics/device/RenderDevice.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDGTexture;

// Called by ProcessPixels for every pixel: answers the new pixel value.
using TDGPixelFunc = uint32_t (*)(TDGTexture& Texture, uint32_t Pixel, int32_t X, int32_t Y, void* Data);

// Where the texture's content comes from.
enum TDGSourceKind : uint8_t {
    skNone = 0,    // nothing yet
    skFile = 1,    // a BMP file
    skArchive = 2, // an archive entry
    skMemory = 3,  // made in memory: set size, stream, bitmap or written through a lock
};

class TDGTexture : public TDGResource {
public:
    // Registers with DG; no texture yet. The game passes {A8R8G8B8, A4R4G4B4, A1R5G5B5},
    // usage 0, D3DPOOL_MANAGED and 0 levels.
    TDGTexture(TDODozuz& DG, const std::vector<D3DFORMAT>& Formats, uint32_t Usage, D3DPOOL Pool,
               uint32_t Levels, const std::string& Name);
    ~TDGTexture() override;
    TDGTexture(const TDGTexture&) = delete;
    TDGTexture& operator=(const TDGTexture&) = delete;

    const char* ClassName() const override { return "TDGTexture"; }
    void Orphan() override;

    int32_t ResourceID() const { return resourceID_; }
    const std::string& Name() const { return name_; }
    TDODozuz* DG() const { return dg_; }
    D3DFORMAT Format() const { return format_; }
    const std::vector<D3DFORMAT>& Formats() const { return formats_; }
    uint32_t Width() const { return width_; } // image size asked for
    uint32_t Height() const { return height_; }
    uint32_t TextureWidth() const { return textureWidth_; } // size of the texture made
    uint32_t TextureHeight() const { return textureHeight_; }
    float MaxU() const { return maxU_; } // texture coordinates of the image's right and bottom edge
    float MaxV() const { return maxV_; }
    // The device texture (nullptr when none); the scene binds it with SetTexture.
    const std::shared_ptr<IRenderTexture>& Texture() const { return texture_; }
    uint32_t Usage() const { return usage_; }
    D3DPOOL Pool() const { return pool_; }
    uint32_t FillColor() const { return fillColor_; }
    void SetFillColor(uint32_t Color) { fillColor_ = Color; }
    bool Locked() const { return locked_; }
    const TRect& LockedArea() const { return lockedArea_; }
    uint32_t BytesPerPixel() const { return bytesPerPixel_; }
    uint32_t Levels() const { return levels_; }
    bool Restorable() const { return restorable_; }
    TDGSourceKind SourceKind() const { return sourceKind_; }
    const std::string& FileName() const { return fileName_; }
    const std::string& ArchiveName() const { return archiveName_; }
    const std::string& EntryName() const { return entryName_; }
    const TMemoryStream* BackupStream() const { return backupStream_.get(); }
    bool Rebuilding() const { return rebuilding_; }
    // Changes with every change of the pixels or the size (a lock for writing, a new device
    // texture, a release), taken from one counter for all textures: a texture made where a
    // released one lived never answers what that one answered.
    uint64_t Generation() const { return generation_; }

    // (Re)creates the texture for a W x H image under the device's size rules; a
    // restorable texture is cleared to FillColor.
    void SetSize(uint32_t W, uint32_t H);
    // The first candidate format the device takes, else the back buffer format.
    D3DFORMAT ChooseFormat();
    void AllocateTexture(uint32_t W, uint32_t H);

    // Locks Rect of level Level. Fails (reported, answers non-zero, Locked stays false)
    // without a texture or when the device refuses.
    HRESULT LockRect(uint32_t Level, const TRect& Rect, uint32_t Flags, D3DLOCKED_RECT& LockedRect);
    void UnlockRect();
    // Every pixel of Rect becomes Color; with KeepAlpha each keeps its alpha.
    void FillRect(const TRect& Rect, uint32_t Color, bool KeepAlpha);
    // Func for every pixel of Rect, rows top down, left to right; X, Y are texture coordinates.
    void ProcessPixels(const TRect& Rect, TDGPixelFunc Func, void* Data);
    // Pixels of Rect whose RGB is Color's become transparent, all others opaque.
    void SetColorKey(const TRect& Rect, uint32_t Color);
    // The same over the whole image, Rect(0, 0, Width, Height).
    void SetColorKey(uint32_t Color);

    // A BMP file (ArchiveName empty) or the archive entry FileName of ArchiveName.
    void LoadFromFile(const std::string& FileName, const std::string& ArchiveName = "");
    // A BMP at the stream's position.
    void LoadFromStream(TStream& Stream);
    void LoadFromBitmap(const TBitmap& Bitmap);
    // The image (Width x Height) as a 32-bit bottom-up BMP.
    void SaveToStream(TStream& Stream);
    // Keeps a BMP copy of the image in BackupStream.
    void Backup();

    // The registry's callbacks.
    void ReleaseForDevice();
    void RestoreAfterDevice();
    void ReleaseBeforeReset();
    void RecreateAfterReset();

private:
    void ReleaseTexture();
    void NewGeneration();
    void LoadBmpFrom(TStream& Stream, const std::string& failureMessage);

    int32_t resourceID_ = -1;
    std::string name_;
    TDODozuz* dg_;
    D3DFORMAT format_ = D3DFMT_UNKNOWN;
    std::vector<D3DFORMAT> formats_;
    uint32_t width_ = 0, height_ = 0;
    uint32_t textureWidth_ = 0, textureHeight_ = 0;
    float maxU_ = 0.0f, maxV_ = 0.0f;
    std::shared_ptr<IRenderTexture> texture_;
    uint32_t usage_;
    D3DPOOL pool_;
    uint32_t fillColor_ = 0;
    bool locked_ = false;
    bool lockedWrite_ = false;
    D3DLOCKED_RECT lockedRect_;
    TRect lockedArea_;
    uint32_t lockedLevel_ = 0;
    uint32_t bytesPerPixel_ = 0;
    uint32_t levels_;
    bool restorable_;
    TDGSourceKind sourceKind_ = skNone;
    std::string fileName_, archiveName_, entryName_;
    std::unique_ptr<TMemoryStream> backupStream_;
    bool rebuilding_ = false;
    uint64_t generation_ = 0;
};
