#include "FrameRenderer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <chrono>
#include <cmath>
#include <string>

#include "GlTextureUploader.h"
#include "model/Document.h"
#include "model/Motion.h"
#include "model/Set.h"
#include "model/ShowNode.h"
#include "pictures/MovieSource.h"
#include "pictures/PictureMediaLoader.h"

namespace quillon {

namespace {

// Stage units to GL units: 200 stage units make one GL unit, and (2000, 2000) is the origin.
constexpr float kStageToGl = 0.005f;
constexpr float kDegreesToRadians = 0.0174532f;
// Frame rates (hundredths) from which frames are swapped without waiting.
constexpr int kUnpacedFrameRate = 5000;

int64_t Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

ReticleShape ReticleFor(int clientWidth, int clientHeight, float ratio) {
    const int cx = clientWidth / 2;
    const int cy = clientHeight / 2;
    int halfWidth = cx;
    if (ratio > 0 && cx * ratio > cy) halfWidth = static_cast<int>(cy / ratio);
    const bool tvSafe = ratio == 0.75f;
    if (tvSafe) halfWidth = static_cast<int>(halfWidth * 0.9);
    const int halfHeight = static_cast<int>(ratio * halfWidth);
    ReticleShape shape;
    int left = cx - halfWidth;
    int right = cx + halfWidth;
    if (tvSafe) {
        shape.corner = static_cast<int>(halfWidth * 0.3);
    } else {
        left -= 2;
        right += 2;
    }
    // Right and bottom are the outline's outer edges, as a rectangle primitive takes them.
    shape.rect = QRect(QPoint(left, cy - halfHeight), QPoint(right - 1, cy + halfHeight - 1));
    return shape;
}

FrameRenderer::FrameRenderer(Document& doc, PictureMediaLoader& media, GlTextureUploader& textures,
                             MonitorSurface& surface)
    : doc_(doc), media_(media), textures_(textures), surface_(surface) {}

void FrameRenderer::UpdateSwapTicks() {
    const int rate = doc_.frameRate();
    if (rate > 0) swapTicks = int64_t(50) * 1000000000 / rate;
}

void FrameRenderer::RenderFrame(bool swap) {
    ShowNode* scene = doc_.SceneAt(doc_.currentFrame());
    drewLastFrame_ = scene != nullptr;
    if (scene == nullptr) return;
    const DocumentSettings& settings = doc_.settings();

    glFlush();
    glClear(settings.rostrumMode ? GL_COLOR_BUFFER_BIT : GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SetupCamera(doc_.monitorCamera().pose);
    if (drawGridFloor) DrawGridFloor();
    glEnable(GL_DEPTH_TEST);
    glAlphaFunc(GL_GREATER, 0.1f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const float fade = scene->pose.transparency();
    if (fade != 0) glEnable(GL_BLEND);
    if (settings.colorKeying) glEnable(GL_ALPHA_TEST);
    if (scene->set && drawSet) DrawSetPanels(*scene->set, fade);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    // Children 0 to 2 are the scene's first cameras and never drawn.
    for (int i = 3; i < scene->childCount(); ++i) {
        ShowNode* child = scene->children[i];
        if (child->Is(NodeKind::Actor)) DrawActor(*child, fade);
    }
    if (!swap) return;
    if (doc_.frameRate() < kUnpacedFrameRate && paceSwaps && surface_.PacesSwaps()) {
        const int64_t before = Now();
        while (Now() - lastSwapTime <= swapTicks) {
        }
        pacedNanoseconds += Now() - before;
    }
    Swap();
    glDisable(GL_ALPHA_TEST);
    if (showReticle) DrawReticle();
}

void FrameRenderer::Swap() {
    surface_.SwapBuffers();
    lastSwapTime = Now();
}

void FrameRenderer::SwapNow() {
    Swap();
}

bool FrameRenderer::ReadPixels(int width, int height, uint8_t* bgra) {
    if (width < 1 || height < 1 || bgra == nullptr) return false;
    const QSize client = surface_.ClientSize();
    if (client.width() < width || client.height() < height) return false;
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
    return glGetError() == GL_NO_ERROR;
}

void FrameRenderer::SetupCamera(const KeyFrame& pose) {
    const QSize client = surface_.ClientSize();
    const double aspect = client.height() > 0 ? double(client.width()) / client.height() : 1.0;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(pose.width(), aspect, 0.1, 20.0);
    glRotatef(-pose.tilt(), 1, 0, 0);
    glRotatef(pose.pan(), 0, 1, 0);
    glTranslatef((2000 - pose.eastWest()) * kStageToGl, -pose.upDown() * kStageToGl,
                 (2000 - pose.northSouth()) * kStageToGl);
    // The whole camera lives in the projection; the model-view stays identity.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void FrameRenderer::DrawGridFloor() {
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    int count = 0;
    for (int i = -10; i <= 10; ++i) {
        for (int j = -10; j <= 10; ++j, ++count) {
            const float grey = count % 2 == 0 ? 0.5f : 0.8f;
            glColor3f(grey, grey, grey);
            glVertex3f(j, -0.05f, i);
            glVertex3f(j + 1, -0.05f, i);
            glVertex3f(j + 1, -0.05f, i + 1);
            glVertex3f(j, -0.05f, i + 1);
        }
    }
    glEnd();
}

void FrameRenderer::BindTexture(int number) {
    glBindTexture(GL_TEXTURE_2D, textures_.Name(number));
}

void FrameRenderer::DrawSetPanels(const Set& set, float fade) {
    for (const SetPanel& panel : set.panels) {
        if (panel.textureSlot >= 0) {
            glEnable(GL_TEXTURE_2D);
            BindTexture(panel.textureSlot % 1000);
            glColor4f(1, 1, 1, 1 - fade);
        } else {
            glDisable(GL_TEXTURE_2D);
            const uint32_t c = panel.panelColor;
            glColor4f((c & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, ((c >> 16) & 0xFF) / 255.0f,
                      1 - fade);
        }
        static constexpr float kTexture[4][2] = {
            {0.01f, 0.99f}, {0.99f, 0.99f}, {0.99f, 0.01f}, {0.01f, 0.01f}};
        glBegin(GL_QUADS);
        for (int k = 0; k < 4; ++k) {
            glTexCoord2f(kTexture[k][0], kTexture[k][1]);
            glVertex3f(panel.cornerEastWest[k], panel.cornerUpDown[k], panel.cornerNorthSouth[k]);
        }
        glEnd();
    }
}

bool FrameRenderer::PrepareMovieFrame(ShowNode& actor, int slot) {
    TextureTable& table = media_.textures();
    const std::string& name = table.Name(slot);
    if (name.empty() || name[0] != '~') return true;
    // First display of this frame: upload it under its plain name, which the table finds.
    const std::string plain = name.substr(1);
    table.Rename(slot, plain);
    const std::string movieFile = actor.GetFileName();
    const int32_t reference = actor.textureSlot;
    const int frame = static_cast<int>(actor.pose.actionFrame() + 0.5f);
    actor.SetFileName(plain);
    Picture& scratch = media_.scratchPicture();
    if (MovieSource::LoadFrame(QString::fromStdString(movieFile), frame, &scratch) > 0)
        table.UploadTexture(actor, scratch, doc_.settings());
    actor.textureSlot = reference;
    actor.SetFileName(movieFile);
    EvaluateNode(actor, doc_.currentFrame(), false);
    return true;
}

void FrameRenderer::DrawActor(ShowNode& actor, float fade) {
    const KeyFrame& pose = actor.pose;
    if (pose.act == 0xFFFF) return;
    const float alpha = (1 - pose.transparency()) * (1 - fade);
    if (alpha < 0.95f || doc_.settings().featherActors) glEnable(GL_BLEND);
    glColor4f(1, 1, 1, alpha);
    const int reference = actor.textureSlot;

    if (doc_.rostrumMode()) {
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_DEPTH_TEST);
        const int columns = reference / 10000 + 1;
        const int rows = (reference % 10000) / 1000 + 1;
        const int first = reference % 1000;
        const float w = pose.width() * kStageToGl;
        const float h = pose.height() * kStageToGl;
        const float tileWidth = w / columns;
        const float tileHeight = h / rows;
        const float left = (pose.eastWest() - 2000) * kStageToGl - w / 2;
        const float near = (pose.northSouth() - 2000) * kStageToGl - h / 2;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                BindTexture(first + r * columns + c);
                const float x0 = left + c * tileWidth, x1 = x0 + tileWidth;
                const float z0 = near + r * tileHeight, z1 = z0 + tileHeight;
                glBegin(GL_QUADS);
                glTexCoord2f(0.005f, 0.995f);
                glVertex3f(x0, 0, z0);
                glTexCoord2f(0.995f, 0.995f);
                glVertex3f(x1, 0, z0);
                glTexCoord2f(0.995f, 0.005f);
                glVertex3f(x1, 0, z1);
                glTexCoord2f(0.005f, 0.005f);
                glVertex3f(x0, 0, z1);
                glEnd();
            }
        }
        glDisable(GL_BLEND);
        return;
    }

    if (reference < 1000) {
        BindTexture(reference);
    } else {
        const int frame = static_cast<int>(pose.actionFrame() + 0.5f);
        const int slot = reference % 1000 + frame;
        if (slot > TextureTable::kOverflowEntry) {
            glDisable(GL_BLEND);
            return;
        }
        PrepareMovieFrame(actor, slot);
        BindTexture(slot);
    }

    const float a = pose.pan() * kDegreesToRadians;
    const float half = pose.width() * 0.0025f;
    const float cx = (pose.eastWest() - 2000) * kStageToGl;
    const float cz = (pose.northSouth() - 2000) * kStageToGl;
    const float y0 = pose.upDown() * kStageToGl;
    const float y1 = y0 + pose.height() * kStageToGl;
    const float dx = half * std::cos(a), dz = half * std::sin(a);
    glBegin(GL_QUADS);
    glTexCoord2f(0.01f, 0.98f);
    glVertex3f(cx - dx, y1, cz - dz);
    glTexCoord2f(0.98f, 0.98f);
    glVertex3f(cx + dx, y1, cz + dz);
    glTexCoord2f(0.98f, 0.01f);
    glVertex3f(cx + dx, y0, cz + dz);
    glTexCoord2f(0.01f, 0.01f);
    glVertex3f(cx - dx, y0, cz - dz);
    glEnd();
    glDisable(GL_BLEND);
}

void FrameRenderer::DrawReticle() {
    const QSize client = surface_.ClientSize();
    surface_.PaintReticle(
        ReticleFor(client.width(), client.height(), doc_.settings().reticleRatio));
}

}  // namespace quillon
