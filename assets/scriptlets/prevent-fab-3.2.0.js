function preventFab320(source, args) {
  // Defuses FuckAdBlock 3.2.0: window.FuckAdBlock and window.fuckAdBlock
  // become a stand-in with the library's API that never reports an ad
  // blocker. notDetected callbacks run (as after the library's check on
  // load), detected ones never do, and the page's own copy of the library
  // cannot overwrite the stand-in.
  try {
    const nativeSetTimeout = window.setTimeout;
    const later = (fn) => {
      Reflect.apply(nativeSetTimeout, window, [fn, 1]);
    };

    function FuckAdBlock() {
      const notDetected = [];
      let checked = document.readyState === 'complete';
      const runAll = () => {
        for (const fn of notDetected.slice()) {
          try {
            fn();
          } catch (e) {
            // The page's callback failing is not ours to report.
          }
        }
      };
      const api = {
        _options: { checkOnLoad: false, resetOnEnd: false, loopCheckTime: 50, loopMaxNumber: 5, baitClass: '', baitStyle: '' },
        _var: { version: '3.2.0', bait: null, checking: false, loop: null, loopNumber: 0, event: { detected: [], notDetected: [] } },
        check() {
          later(runAll);
          return true;
        },
        emitEvent(detected) {
          if (!detected) {
            later(runAll);
          }
          return this;
        },
        clearEvent() {
          notDetected.length = 0;
        },
        on(detected, fn) {
          if (!detected && typeof fn === 'function') {
            notDetected.push(fn);
            // A page that asks after the check on load still hears the answer.
            if (checked) {
              later(fn);
            }
          }
          return this;
        },
        onDetected() {
          return this;
        },
        onNotDetected(fn) {
          return this.on(false, fn);
        },
        setOption() {
          return this;
        },
      };
      if (!checked) {
        window.addEventListener('load', () => {
          checked = true;
          later(runAll);
        });
      }
      return api;
    }

    const instance = new FuckAdBlock();
    const lock = (name, value) => {
      Object.defineProperty(window, name, {
        configurable: false,
        enumerable: true,
        get() {
          return value;
        },
        set() {
          if (source.verbose) {
            console.log(`${source.name}: kept ${name} from being replaced`);
          }
        },
      });
    };
    lock('FuckAdBlock', FuckAdBlock);
    lock('fuckAdBlock', instance);
    if (source.verbose) {
      console.log(`${source.name}: fuckAdBlock replaced by a stand-in`);
    }
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
