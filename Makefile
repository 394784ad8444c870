# make demo: builds both architectures and runs the band in kesthost under Wine, with a screenshot.
# make test: installs what is missing, builds both architectures and runs every test.
# make robustness: the robustness suite with ten times the inputs (KEST_ROBUSTNESS_SCALE).
.PHONY: demo test robustness build clean

demo:
	scripts/demo.sh

test:
	scripts/test.sh

robustness:
	scripts/robustness.sh

build:
	scripts/install-deps.sh
	cmake --preset x86 && cmake --build --preset x86
	cmake --preset x64 && cmake --build --preset x64

clean:
	rm -rf build
