// The camera's data and the glTF camera hold the renderer's own camera: at sampled frames of a
// show with camera moves (eases, holds, pans), the matrix built from quillon-cli camera's row,
// and the one built from the glTF camera node, equal the projection FrameRenderer::SetupCamera
// leaves in OpenGL.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <array>
#include <cmath>

#include "../cli/CliRun.h"
#include "../model/ScriptedHost.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/ShowFiles.h"
#include "monitor/OffscreenMonitor.h"
#include "output/CameraData.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

using Matrix = std::array<double, 16>;  // column major, as OpenGL keeps it
const double kPi = std::acos(-1.0);
constexpr double kInch = 0.0254;
constexpr double kWorldUnit = 200 * kInch;  // metres per renderer world unit

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                r[size_t(c * 4 + row)] += a[size_t(k * 4 + row)] * b[size_t(c * 4 + k)];
    return r;
}

// The textbook matrices of gluPerspective, glRotate and glTranslate.
Matrix Perspective(double fovyDegrees, double aspect, double n, double f) {
    const double t = 1 / std::tan(fovyDegrees * kPi / 360);
    return {t / aspect,          0, 0, 0, 0, t, 0, 0, 0, 0, (f + n) / (n - f), -1, 0, 0,
            2 * f * n / (n - f), 0};
}
Matrix Rotation(double degrees, int axis) {
    const double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
    Matrix m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const int i = (axis + 1) % 3, j = (axis + 2) % 3;
    m[size_t(i * 4 + i)] = c;
    m[size_t(j * 4 + j)] = c;
    m[size_t(i * 4 + j)] = s;
    m[size_t(j * 4 + i)] = -s;
    return m;
}
Matrix Translation(double x, double y, double z) {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
}
// The inverse of a glTF node's rotation (a unit quaternion x, y, z, w) as a matrix.
Matrix InverseRotation(const std::array<double, 4>& q) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    const Matrix r = {1 - 2 * (y * y + z * z),
                      2 * (x * y + z * w),
                      2 * (x * z - y * w),
                      0,
                      2 * (x * y - z * w),
                      1 - 2 * (x * x + z * z),
                      2 * (y * z + x * w),
                      0,
                      2 * (x * z + y * w),
                      2 * (y * z - x * w),
                      1 - 2 * (x * x + y * y),
                      0,
                      0,
                      0,
                      0,
                      1};
    Matrix t{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row)
            t[size_t(c * 4 + row)] = r[size_t(row * 4 + c)];
    return t;
}

void ExpectSame(const Matrix& a, const Matrix& b, const std::string& what) {
    for (size_t i = 0; i < 16; ++i)
        EXPECT_NEAR(a[i], b[i], 2e-4 * std::max(1.0, std::fabs(b[i]))) << what << " element " << i;
}

// A glTF channel's value at time t: linear between keys, spherical for rotations.
std::vector<double> ValueAt(const QJsonObject& gltf, const QByteArray& buffer, int node,
                            const QString& path, double t) {
    auto floats = [&](int accessor) {
        const QJsonObject a = gltf["accessors"][accessor].toObject();
        const QJsonObject v = gltf["bufferViews"][a["bufferView"].toInt()].toObject();
        const int n = a["count"].toInt() * (a["type"] == "SCALAR" ? 1
                                            : a["type"] == "VEC3" ? 3
                                                                  : 4);
        std::vector<float> out(static_cast<size_t>(n));
        std::memcpy(out.data(), buffer.constData() + v["byteOffset"].toInt(), out.size() * 4);
        return out;
    };
    const int n = path == "rotation" ? 4 : 3;
    for (const QJsonValue& anim : gltf["animations"].toArray()) {
        for (const QJsonValue& c : anim["channels"].toArray()) {
            if (c["target"]["node"].toInt() != node || c["target"]["path"] != path) continue;
            const QJsonObject s = anim["samplers"][c["sampler"].toInt()].toObject();
            const std::vector<float> times = floats(s["input"].toInt());
            const std::vector<float> values = floats(s["output"].toInt());
            size_t k = 0;
            while (k + 2 < times.size() && times[k + 1] <= t)
                ++k;
            const double u = std::clamp((t - times[k]) / (times[k + 1] - times[k]), 0.0, 1.0);
            std::vector<double> a(values.begin() + long(k) * n, values.begin() + long(k + 1) * n);
            std::vector<double> b(values.begin() + long(k + 1) * n,
                                  values.begin() + long(k + 2) * n);
            std::vector<double> r(static_cast<size_t>(n));
            double wa = 1 - u, wb = u;
            if (n == 4) {
                const double d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
                const double angle = std::acos(std::clamp(d, -1.0, 1.0));
                if (angle > 1e-6) {
                    wa = std::sin((1 - u) * angle) / std::sin(angle);
                    wb = std::sin(u * angle) / std::sin(angle);
                }
            }
            for (size_t i = 0; i < size_t(n); ++i)
                r[i] = wa * a[i] + wb * b[i];
            return r;
        }
    }
    std::vector<double> still;
    for (const QJsonValue& v : gltf["nodes"][node][path].toArray())
        still.push_back(v.toDouble());
    return still;
}

}  // namespace

TEST(CameraData, RowsAndGltfCameraEqualTheRenderersCamera) {
    QTemporaryDir dir;
    const QString profile = dir.filePath("profile.ini");
    const QString show = dir.filePath("moves.shw");
    ASSERT_EQ(
        RunCli(profile, {"new", show, "--scenes", "2", "--length", "90", "--camera-move"}).status,
        0);
    const CliRun json =
        RunCli(profile, {"camera", show, "-o", dir.filePath("c.json"), "--size", "320x240"});
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    ASSERT_EQ(RunCli(profile, {"camera", show, "-o", dir.filePath("c.csv"), "--size", "320x240",
                               "--sensor", "24mm"})
                  .status,
              0);
    ASSERT_EQ(
        RunCli(profile, {"gltf", show, "-o", dir.filePath("c.gltf"), "--size", "320x240"}).status,
        0);
    QFile jf(dir.filePath("c.json")), cf(dir.filePath("c.csv")), gf(dir.filePath("c.gltf"));
    ASSERT_TRUE(jf.open(QIODevice::ReadOnly) && cf.open(QIODevice::ReadOnly) &&
                gf.open(QIODevice::ReadOnly));
    const QJsonObject top = QJsonDocument::fromJson(jf.readAll()).object();
    const QJsonArray rows = top["frames"].toArray();
    const QList<QByteArray> csv = cf.readAll().trimmed().split('\n');
    const QJsonObject gltf = QJsonDocument::fromJson(gf.readAll()).object();
    const QString uri = gltf["buffers"][0]["uri"].toString();
    const QByteArray buffer = QByteArray::fromBase64(uri.mid(uri.indexOf(',') + 1).toLatin1());
    ASSERT_EQ(rows.size(), 180);  // one row per show frame
    ASSERT_EQ(csv.size(), 181);   // and a header
    EXPECT_EQ(top["sensorWidthMm"].toDouble(), 36);
    EXPECT_EQ(csv[0].split(',').size(), 15);

    ScriptedHost host;
    Profile p(profile);
    Document doc(p, host);
    QString error;
    auto monitor = OffscreenMonitor::Create(doc, 320, 240, &error);
    ASSERT_TRUE(monitor) << error.toStdString();
    ASSERT_TRUE(ShowFiles(doc).ReadShow(show));
    for (int frame = 0; frame < 180; frame += 7) {
        const QJsonObject row = rows[frame].toObject();
        const std::string what = "frame " + std::to_string(frame);
        ASSERT_EQ(row["frame"].toInt(), frame);
        EXPECT_EQ(row["scene"].toInt(), frame / 90) << what;
        EXPECT_EQ(csv[frame + 1].split(',')[1], row["timecode"].toString().toLatin1()) << what;
        doc.UpdateViewsAtFrame(frame);
        monitor->context().MakeCurrent();
        monitor->renderer().SetupCamera(doc.monitorCamera().pose);
        std::array<float, 16> gl;
        glGetFloatv(GL_PROJECTION_MATRIX, gl.data());
        Matrix renderer;
        std::copy(gl.begin(), gl.end(), renderer.begin());

        // The row: vertical angle, aspect, turns and place.
        const QJsonArray m = row["metres"].toArray();
        const double aspect = 320.0 / 240;
        const Matrix fromRow =
            Multiply(Multiply(Multiply(Perspective(row["lensVertical"].toDouble(), aspect, 0.1, 20),
                                       Rotation(-row["tilt"].toDouble(), 0)),
                              Rotation(row["pan"].toDouble(), 1)),
                     Translation(-m[0].toDouble() / kWorldUnit, -m[1].toDouble() / kWorldUnit,
                                 -m[2].toDouble() / kWorldUnit));
        ExpectSame(fromRow, renderer, "camera row at " + what);
        // The horizontal angle and focal length follow from the vertical angle and the aspect.
        const double h = row["lensHorizontal"].toDouble() * kPi / 180;
        EXPECT_NEAR(std::tan(h / 2), std::tan(row["lensVertical"].toDouble() * kPi / 360) * aspect,
                    1e-9);
        EXPECT_NEAR(row["focalLength"].toDouble(), 18 / std::tan(h / 2), 1e-6) << what;
        EXPECT_NEAR(csv[frame + 1].split(',')[14].toDouble(), 12 / std::tan(h / 2), 1e-6) << what;

        // The glTF camera of the frame's scene, at the frame's time in the scene's animation.
        if (frame >= 90) continue;  // scene 0's camera node is the first
        int cameraNode = -1;
        for (int i = 0; i < gltf["nodes"].toArray().size(); ++i)
            if (gltf["nodes"][i].toObject().contains("camera") && cameraNode < 0) cameraNode = i;
        const QJsonObject persp = gltf["cameras"][0]["perspective"].toObject();
        const std::vector<double> t =
            ValueAt(gltf, buffer, cameraNode, "translation", frame / 30.0);
        const std::vector<double> q = ValueAt(gltf, buffer, cameraNode, "rotation", frame / 30.0);
        const Matrix fromGltf =
            Multiply(Multiply(Perspective(persp["yfov"].toDouble() * 180 / kPi,
                                          persp["aspectRatio"].toDouble(),
                                          persp["znear"].toDouble() / kWorldUnit,
                                          persp["zfar"].toDouble() / kWorldUnit),
                              InverseRotation({q[0], q[1], q[2], q[3]})),
                     Translation(-t[0] / kWorldUnit, -t[1] / kWorldUnit, -t[2] / kWorldUnit));
        ExpectSame(fromGltf, renderer, "glTF camera at " + what);
    }
    // A 25-degree lens on a 4:3 picture: 32.93 degrees across, 60.9 mm on a 36 mm sensor.
    const CameraLens lens = LensFor(25, 4.0 / 3, 36);
    EXPECT_NEAR(lens.horizontalDegrees, 32.935, 1e-3);
    EXPECT_NEAR(lens.focalMillimetres, 60.895, 1e-3);
    monitor.reset();
}
