function preventBab(source, args) {
  // Defuses BlockAdBlock and its look-alikes (SniffAdBlock). The plain library
  // is a constructor and an instance on window: both are replaced by a stand-in
  // that never reports an ad blocker and that the page's own copy of the
  // library cannot overwrite. The obfuscated builds check their bait elements
  // from code passed to eval() or setTimeout(); such code is not run.
  try {
    const nativeSetTimeout = window.setTimeout;
    const later = (fn) => {
      Reflect.apply(nativeSetTimeout, window, [fn, 1]);
    };
    const say = (text) => {
      if (source.verbose) {
        console.log(`${source.name}: ${text}`);
      }
    };

    // What the detection code carries: the library's name, or the class list
    // of its bait element.
    const signature = /blockadblock|sniffadblock|pub_300x250 pub_300x250m|text-ad-links/i;

    // The library's API, answering "no ad blocker" to everyone: notDetected
    // callbacks run (as after the library's check on load), detected ones never.
    function StandIn() {
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
        _options: { checkOnLoad: true, resetOnEnd: true, loopCheckTime: 50, loopMaxNumber: 5 },
        _var: { version: '3.2.1', bait: null, checking: false, loop: null, loopNumber: 0, event: { detected: [], notDetected: [] } },
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

    const instance = new StandIn();
    function lock(name, value) {
      Object.defineProperty(window, name, {
        configurable: false,
        enumerable: true,
        get() {
          return value;
        },
        set() {
          say(`kept ${name} from being replaced`);
        },
      });
    }
    for (const name of ['BlockAdBlock', 'SniffAdBlock']) {
      lock(name, StandIn);
    }
    for (const name of ['blockAdBlock', 'sniffAdBlock']) {
      lock(name, instance);
    }

    function codeText(code) {
      return typeof code === 'function' ? Function.prototype.toString.call(code) : String(code);
    }

    window.setTimeout = new Proxy(nativeSetTimeout, {
      apply(target, thisArg, callArgs) {
        try {
          if (callArgs.length > 0 && signature.test(codeText(callArgs[0]))) {
            say('prevented a bait check in setTimeout');
            callArgs = [function () {}, ...Array.prototype.slice.call(callArgs, 1)];
          }
        } catch (e) {
          // Anything odd about the call: let the page have it unchanged.
        }
        return Reflect.apply(target, thisArg, callArgs);
      },
    });

    window.eval = new Proxy(window.eval, {
      apply(target, thisArg, callArgs) {
        try {
          if (typeof callArgs[0] === 'string' && signature.test(callArgs[0])) {
            say('prevented a bait check in eval');
            return undefined;
          }
        } catch (e) {
          // Anything odd about the call: let the page have it unchanged.
        }
        return Reflect.apply(target, thisArg, callArgs);
      },
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
