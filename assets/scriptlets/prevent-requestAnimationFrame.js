function preventRequestAnimationFrame(source, args) {
  // Some anti-adblock checks and animated ad rotators run from
  // requestAnimationFrame: calls whose callback source matches are answered
  // with a frame id as usual, but the callback never runs.
  // args: text the callback's source must contain ("/regex/flags" for a
  // regular expression; a leading "!" turns the match around: only callbacks
  // that do not match are dropped). Without an argument every call is dropped.
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    if (typeof window.requestAnimationFrame !== 'function') {
      return;
    }

    let pattern = String(args[0] ?? '');
    const inverted = pattern.startsWith('!');
    if (inverted) {
      pattern = pattern.slice(1);
    }
    let matches;
    const regex = /^\/(.+)\/([dimsuv]*)$/.exec(pattern);
    if (regex) {
      try {
        const re = new RegExp(regex[1], regex[2]);
        matches = (text) => re.test(text);
      } catch (e) {
        return;
      }
    } else {
      matches = (text) => text.includes(pattern);
    }

    const noop = function () {};
    window.requestAnimationFrame = new Proxy(window.requestAnimationFrame, {
      apply(target, thisArg, callArgs) {
        let drop = false;
        try {
          drop = matches(String(callArgs[0])) !== inverted;
        } catch (e) {
          // A callback whose toString() throws is left to run.
        }
        if (!drop) {
          return Reflect.apply(target, thisArg, callArgs);
        }
        log(`dropped requestAnimationFrame(${String(callArgs[0]).slice(0, 100)})`);
        // A real id for a callback that does nothing, so that the page's
        // cancelAnimationFrame() and its bookkeeping still work.
        return Reflect.apply(target, thisArg, [noop]);
      },
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
