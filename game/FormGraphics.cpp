// The graphics device's part of the form's components: the device, the pictures the
// rules use and the frame's device calls.
#include "game/FormComponents.h"

#include "archive/QDArc.h"
#include "base/Exception.h"
#include "base/Paths.h"
#include "base/Stream.h"
#include "base/Translate.h"
#include "graphics/DGTexture.h"
#include "graphics/DODozuz9.h"

namespace {

const char* const HamsterEntries[4] = {"kuro_R.bmp", "kuro_Down.bmp", "kuro_L.bmp", "kuro_Up.bmp"};
// The board-clear pictures the rules show, the first one last.
const char* const GetEntries[4] = {"10get.bmp", "20get.bmp", "GC.bmp", "get.bmp"};

TRect WholeImage(const TDGTexture& t) {
    return Rect(0, 0, static_cast<int32_t>(t.Width()), static_cast<int32_t>(t.Height()));
}

TOwned<TDGTexture> MakeTexture(TDODozuz& dg) {
    auto* t =
        new TDGTexture(dg, {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}, 0, D3DPOOL_MANAGED, 0, "");
    t->SetFillColor(0);
    return TOwned<TDGTexture>(t, [](TDGTexture* p) { delete p; });
}

} // namespace

TOwned<TDODozuz> TFormComponents::MakeDG(IDGOwner& owner) {
    auto* component = new TDODozuz(owner);
    component->SetUseREFDevice(false);
    component->SetUseSoftwareVertexProcessing(false);
    component->SetDebugOption(dgoHaltOnError);
    return TOwned<TDODozuz>(component, [](TDODozuz* p) { delete p; });
}

int32_t TFormComponents::ClientWidth() const {
    return DG->Owner().ClientWidth();
}

int32_t TFormComponents::ClientHeight() const {
    return DG->Owner().ClientHeight();
}

void TFormComponents::LoadGraphics() {
    DG->Loaded();
    DG->ChangeWindowMode(ClientWidth(), ClientHeight(), {}, 0, 1, 0, 0);
    // The hamsters: all four made, then loaded in order, then keyed (white is transparent).
    for (auto& t : HamsterTex) t = MakeTexture(*DG);
    for (size_t i = 0; i < HamsterTex.size(); ++i)
        HamsterTex[i]->LoadFromFile(HamsterEntries[i], ArchivePath());
    for (auto& t : HamsterTex) t->SetColorKey(WholeImage(*t), 0xFFFFFFFF);
    FoodTex = MakeTexture(*DG);
    for (const char* entry : GetEntries) LoadPicture(TPicture::Get, entry);
}

void TFormComponents::ReleasePictures() {
    GetTex = nullptr;
    GetPictures.clear();
    FoodTex.reset();
    for (auto& t : HamsterTex) t.reset();
}

TDGTexture& TFormComponents::Texture(TPicture picture) const {
    TDGTexture* t = picture == TPicture::Food ? FoodTex.get() : GetTex;
    if (!t) throw Exception("the pictures are made at start-up");
    return *t;
}

std::string TFormComponents::PictureArchive(const std::string& entry) const {
    if (CurrentLanguage() == SourceLanguage) return ArchivePath();
    const std::string translated = DataPath(exeDir_, "Data/data_" + CurrentLanguage() + ".qda");
    if (!FileExists(translated)) return ArchivePath();
    try {
        QDALoadFromFile(translated, entry);
    } catch (const Exception&) {
        return ArchivePath(); // not one of the pictures with words, or a broken archive
    }
    return translated;
}

void TFormComponents::LoadPicture(TPicture picture, const std::string& entry) {
    const auto load = [&](TDGTexture& t) {
        t.SetFillColor(0);
        t.LoadFromFile(entry, PictureArchive(entry));
        t.SetColorKey(WholeImage(t), 0xFF000000);
    };
    if (picture == TPicture::Food) {
        load(Texture(picture));
        return;
    }
    for (const auto& kept : GetPictures)
        if (kept->EntryName() == entry) {
            GetTex = kept.get();
            return;
        }
    auto t = MakeTexture(*DG);
    load(*t);
    GetPictures.push_back(std::move(t));
    GetTex = GetPictures.back().get();
}

TPictureSize TFormComponents::PictureSize(TPicture picture) const {
    const TDGTexture& t = Texture(picture);
    return {t.Width(), t.Height()};
}

std::string TFormComponents::PictureEntry(TPicture picture) const {
    return Texture(picture).EntryName();
}

TPictureSize TFormComponents::HamsterSize(int32_t dir) const {
    const TDGTexture* t = HamsterTex.at(static_cast<size_t>(dir)).get();
    if (!t) throw Exception("the pictures are made at start-up");
    return {t->Width(), t->Height()};
}

TDeviceState TFormComponents::TestCooperativeLevel() {
    IRenderDevice* device = DG->D3DDevice();
    if (!device) return TDeviceState::Lost;
    const HRESULT hr = device->TestCooperativeLevel();
    if (hr == D3D_OK) return TDeviceState::Ok;
    return hr == D3DERR_DEVICENOTRESET ? TDeviceState::NotReset : TDeviceState::Lost;
}

void TFormComponents::ResetDevice() {
    DG->ResetDevice();
}

void TFormComponents::BeginScene() {
    if (IRenderDevice* device = DG->D3DDevice()) device->BeginScene();
}

void TFormComponents::EndScene() {
    if (IRenderDevice* device = DG->D3DDevice()) device->EndScene();
}

void TFormComponents::Present() {
    if (IRenderDevice* device = DG->D3DDevice()) device->Present();
}
