#pragma once
// What every render device keeps between draws: the render states, the states of
// sampler 0 and texture stage 0 (the only ones the devices draw with; the others are
// accepted and read back as 0), the transforms, the bound texture and the vertex format,
// with the values a new or reset device starts from.
#include "graphics/device/RenderDevice.h"

#include <map>
#include <memory>

struct TDeviceStates {
    uint32_t Render[D3DRS_COUNT] = {};
    uint32_t Sampler[D3DSAMP_COUNT] = {};
    uint32_t Stage[D3DTSS_COUNT] = {};
    std::map<uint32_t, D3DMATRIX> Transforms;
    std::shared_ptr<IRenderTexture> Texture;
    uint32_t FVF = 0;

    // The defaults of a new device; zEnable is D3DRS_ZENABLE's start value.
    void Reset(uint32_t zEnable);

    HRESULT SetTransform(uint32_t State, const D3DMATRIX& Matrix);
    HRESULT GetTransform(uint32_t State, D3DMATRIX& Matrix) const;
    HRESULT SetRenderState(uint32_t State, uint32_t Value);
    HRESULT GetRenderState(uint32_t State, uint32_t& Value) const;
    HRESULT SetSamplerState(uint32_t Sampler, uint32_t Type, uint32_t Value);
    HRESULT GetSamplerState(uint32_t Sampler, uint32_t Type, uint32_t& Value) const;
    HRESULT SetTextureStageState(uint32_t Stage, uint32_t Type, uint32_t Value);
    HRESULT GetTextureStageState(uint32_t Stage, uint32_t Type, uint32_t& Value) const;
    // ownTexture: the texture was made by this device (a foreign one is refused).
    HRESULT SetTexture(uint32_t Stage, std::shared_ptr<IRenderTexture> Texture, bool ownTexture);
    HRESULT GetTexture(uint32_t Stage, std::shared_ptr<IRenderTexture>& Texture) const;
};
