// Whole game frames through the OpenGL device match the software device's golden
// frames. Runs under a display with OpenGL 3.3 (Xvfb's Mesa llvmpipe in CI).
#include "PlayWindow.h"
#include "ScreenFixture.h"
#include "graphics/device/OpenGLDevice.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>

namespace {

// A 764 x 500 window whose driver is the OpenGL one, drawing into a framebuffer object
// of an offscreen 3.3 core context. Its texture is stored as B, G, R, A bytes like the
// game window's kept frame, so that the frames take the driver's paths of the game.
class GLOwner : public THeadlessOwner {
public:
    GLOwner() : THeadlessOwner(764, 500), config_(std::make_shared<TGLConfig>()) {
        QSurfaceFormat f;
        f.setVersion(3, 3);
        f.setProfile(QSurfaceFormat::CoreProfile);
        context_.setFormat(f);
        surface_.setFormat(f);
        surface_.create();
        if (!context_.create() || !context_.makeCurrent(&surface_)) return;
        QOpenGLExtraFunctions* gl = context_.extraFunctions();
        gl->glGenTextures(1, &texture_);
        gl->glBindTexture(GL_TEXTURE_2D, texture_);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 764, 500, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                         nullptr);
        gl->glGenFramebuffers(1, &fbo_);
        gl->glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        gl->glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
        ok_ = gl->glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        context_.doneCurrent();
        TGLContextHooks& h = config_->Hooks;
        h.MakeCurrent = [this] { return context_.makeCurrent(&surface_); };
        h.DoneCurrent = [this] { context_.doneCurrent(); };
        h.DefaultFramebuffer = [this] { return fbo_; };
    }
    ~GLOwner() override {
        if (!context_.makeCurrent(&surface_)) return;
        context_.extraFunctions()->glDeleteFramebuffers(1, &fbo_);
        context_.extraFunctions()->glDeleteTextures(1, &texture_);
    }
    std::shared_ptr<IRenderDriver> CreateDriver() override { return std::make_shared<OpenGLDriver>(config_); }
    bool Ok() const { return ok_; }
    TGLConfig& Config() { return *config_; }

private:
    QOffscreenSurface surface_;
    QOpenGLContext context_;
    GLuint fbo_ = 0, texture_ = 0;
    std::shared_ptr<TGLConfig> config_;
    bool ok_ = false;
};
std::function<void(const TSoftwareFrame&)>& PresentSinkOf(GLOwner& owner) {
    return owner.Config().PresentSink;
}
bool OwnerReady(const GLOwner& owner) {
    return owner.Ok();
}

class GLFrameTest : public ::testing::Test, protected HeadlessGameParts<GLOwner> {
protected:
    GLFrameTest() : form(clock, host, exeDir, Platform()), screen(form) {
        form.SetFrameDrawer(&screen);
        owner.Config().PresentSink = [this](const TSoftwareFrame& f) {
            frame.width = static_cast<int32_t>(f.Width);
            frame.height = static_cast<int32_t>(f.Height);
            frame.argb.assign(f.Pixels, f.Pixels + static_cast<size_t>(f.Pitch) * f.Height);
        };
    }
    ~GLFrameTest() override {
        form.SetFrameDrawer(nullptr);
        TDDSD::SetLogFolder("");
        TDDIDEX::SetDebugLogFolder("");
    }
    void SetUp() override {
        if (!owner.Ok()) GTEST_SKIP() << "no OpenGL 3.3 context on this display";
    }

    TForm1 form;
    TFormScreen screen;
    PngImage frame;
};

} // namespace

TEST_F(GLFrameTest, TheTitleScreenMatchesTheSoftwareDevice) {
    form.FormCreate();
    screen.Loaded();
    clock.Set(form.StartTime + 2000);
    bool done = true;
    form.ApplicationEvents1Idle(done);
    form.RenderFrame();
    ASSERT_EQ(owner.Config().PresentCount, 2u);
    ExpectGolden(frame, "title");
}

TEST_F(GLFrameTest, AGameClearFrameMatchesTheSoftwareDevice) {
    // The same steps as the software golden: stretched and translucent pictures, the
    // message on its box, blinking texts.
    form.FormCreate();
    screen.Loaded();
    clock.Set(form.StartTime + 2000);
    bool done = true;
    form.ApplicationEvents1Idle(done);
    form.FoodsCount = 29;
    uint16_t enter = VK_RETURN;
    form.FormKeyDown(enter);
    form.Score = 123456;
    clock.Advance(2500);
    form.Hamster.Col = form.Food.Col;
    form.Hamster.Row = form.Food.Row;
    form.CheckFood();
    for (int i = 0; i < 30 && form.ClearGrowing; ++i) {
        clock.Advance(200);
        form.RenderFrame();
    }
    if (!form.HighScoreBlinkOn) clock.Advance(300);
    form.RenderFrame();
    ExpectGolden(frame, "gameclear");
}

using GLWindow = PlayWindow<GLOwner>;

// Play on two OpenGL windows, one redrawing only what changed (under the scissor, over
// the frame-buffer object's last frame), one every frame whole: every frame shown is the
// same in both.
TEST(GLRedrawnPart, EveryFrameOfPlayEqualsTheFrameDrawnWhole) {
    GLWindow part(true), whole(false);
    if (!part.owner.Ok() || !whole.owner.Ok()) GTEST_SKIP() << "no OpenGL 3.3 context on this display";
    int redrawn = 0;
    for (int step = 0; step < 150; ++step) {
        for (GLWindow* w : {&part, &whole}) {
            if (step == 60) {
                uint16_t enter = VK_RETURN;
                w->form.FormKeyDown(enter);
            }
            if (step == 70) w->input.Keyboard().KeyCodeDown(DIK_RIGHT);
            w->clock.Advance(25);
            w->Tick();
        }
        redrawn += part.screen.Scene->LastRenderKind() == 1;
        ASSERT_EQ(part.shown.size(), whole.shown.size()) << step;
        if (part.shown == whole.shown) continue;
        FAIL() << PixelsThatDiffer(part.shown, whole.shown) << " pixels differ in frame " << step;
    }
    EXPECT_GT(redrawn, 20);
    EXPECT_GT(part.owner.Config().SkippedPresents, 40u); // the title, untouched
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
