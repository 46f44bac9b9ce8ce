// Cost of evaluating one scene at one frame: the scene node and 100 actors of 100 keys each,
// at a frame in the last move, so every actor walks all of its keys on every channel.
#include <benchmark/benchmark.h>

#include <memory>

#include "model/Motion.h"
#include "model/ShowNode.h"

using namespace quillon;

namespace {

constexpr int kActors = 100;
constexpr int kKeysPerActor = 100;
constexpr int kKeySpacing = 30;
constexpr int kSceneLength = kKeysPerActor * kKeySpacing;

std::unique_ptr<ShowNode> MakeScene() {
    auto scene = std::make_unique<ShowNode>();
    scene->startFrame = 0;
    scene->endFrame = kSceneLength;
    scene->keys.push_back(DefaultCameraKey(false));
    for (int a = 0; a < kActors; ++a) {
        auto* actor = new ShowNode;
        actor->kind = NodeKind::Actor;
        actor->motionMode = static_cast<uint8_t>(a % 4 | (a % 3 == 0 ? kStraightMotion : 0));
        for (int k = 0; k < kKeysPerActor; ++k) {
            KeyFrame key;
            key.frame = k * kKeySpacing;
            for (int c = 0; c < kChannelCount; ++c)
                key.channel[c] = static_cast<float>(((a * 37 + k * 101 + c * 13) % 2000) - 600) *
                                 (c == kActionFrame ? 0.0f : 0.25f);
            key.channel[kActionFrame] = static_cast<float>(k % 8);
            key.hold = (k % 7 == 0) ? 5 : (k % 11 == 0 ? -1 : 0);
            actor->keys.push_back(key);
        }
        scene->AddChild(actor, true);
    }
    return scene;
}

void BM_EvaluateScene(benchmark::State& state) {
    const auto scene = MakeScene();
    // Inside the last move (keys at 2940 and 2970 relative; the move runs to 2969).
    const int frame = (kKeysPerActor - 2) * kKeySpacing + 17;
    for (auto _ : state) {
        EvaluateNode(*scene, frame, false);
        for (ShowNode* child : scene->children)
            EvaluateNode(*child, frame, false);
        benchmark::DoNotOptimize(scene->children.back()->pose);
        benchmark::ClobberMemory();
    }
    state.SetLabel("scene + 100 actors x 100 keys, last move; target < 1 ms");
}
BENCHMARK(BM_EvaluateScene)->Unit(benchmark::kMicrosecond);

// Baseline for the same scene: every channel evaluated on its own, one walk per channel.
void BM_EvaluateSceneByChannel(benchmark::State& state) {
    const auto scene = MakeScene();
    const int frame = (kKeysPerActor - 2) * kKeySpacing + 17;
    for (auto _ : state) {
        for (ShowNode* child : scene->children) {
            const int t = frame - child->startFrame;
            for (int c = 0; c < kChannelCount; ++c)
                child->pose.channel[c] = static_cast<float>(EvaluateChannel(
                    child->KeyCount(), child->keys.data(), c, t, false, child->motionMode));
        }
        benchmark::DoNotOptimize(scene->children.back()->pose);
        benchmark::ClobberMemory();
    }
    state.SetLabel("baseline: 12 separate EvaluateChannel walks per actor");
}
BENCHMARK(BM_EvaluateSceneByChannel)->Unit(benchmark::kMicrosecond);

}  // namespace

// "Constant Motion" on the longest camera a show can hold: 585 keys spread over 24 hours of
// frames at 30 fps, every frame of the path measured.
void BM_ConstantMotionLongestCamera(benchmark::State& state) {
    ShowNode camera;
    camera.endFrame = 2600000;
    for (int k = 0; k < kMaxKeys; ++k) {
        KeyFrame key;
        key.frame = k * 4430;
        key.eastWest() = float((k * 7919) % 4000);
        key.northSouth() = float((k * 104729) % 4000);
        camera.keys.push_back(key);
    }
    const std::vector<KeyFrame> original = camera.keys;
    for (auto _ : state) {
        camera.keys = original;
        ConstantMotion(camera, 0, 2592000);
        benchmark::DoNotOptimize(camera.keys.data());
    }
    state.SetLabel("585 keys over 2,592,000 frames");
}
BENCHMARK(BM_ConstantMotionLongestCamera)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
