function preventSetInterval(source, args) {
  // setInterval calls whose callback (its source text, or the string of code)
  // matches the first argument, and whose delay matches the second when one
  // is given, run a do-nothing callback instead. The timer is still created,
  // so the page gets a real id back and clearing it works as before.
  //
  // The callback pattern is a substring or /regex/flags, "!" inverting it; an
  // empty one matches every callback. The delay is a whole number of
  // milliseconds, "!" inverting it; an empty one matches every delay.
  try {
    const callbackPattern = typeof args[0] === 'string' ? args[0] : '';
    const delayPattern = typeof args[1] === 'string' ? args[1] : '';

    function makeMatcher(pattern) {
      let text = pattern;
      let invert = false;
      if (text.startsWith('!')) {
        invert = true;
        text = text.slice(1);
      }
      let test;
      const literal = /^\/(.+)\/([dgimsuy]*)$/.exec(text);
      if (text === '') {
        test = () => true;
      } else if (literal) {
        let re;
        try {
          re = new RegExp(literal[1], literal[2].replace('g', ''));
        } catch (e) {
          return null;
        }
        test = (s) => re.test(s);
      } else {
        test = (s) => s.includes(text);
      }
      return (s) => test(String(s)) !== invert;
    }

    function makeDelayMatcher(pattern) {
      if (pattern === '') {
        return () => true;
      }
      const invert = pattern.startsWith('!');
      const text = invert ? pattern.slice(1) : pattern;
      if (!/^\d+$/.test(text)) {
        return null;
      }
      const wanted = Number(text);
      return (delay) => {
        // The timer treats a missing or odd delay as 0.
        let actual = Number(delay);
        if (!Number.isFinite(actual)) {
          actual = 0;
        }
        return (Math.trunc(actual) === wanted) !== invert;
      };
    }

    function callbackText(callback) {
      if (typeof callback === 'function') {
        return Function.prototype.toString.call(callback);
      }
      return String(callback);
    }

    const matchesCallback = makeMatcher(callbackPattern);
    const matchesDelay = makeDelayMatcher(delayPattern);
    if (matchesCallback === null || matchesDelay === null) {
      return;
    }
    const noop = function () {};

    // A proxy keeps the native function's name, length and toString().
    window.setInterval = new Proxy(window.setInterval, {
      apply(target, thisArg, callArgs) {
        try {
          const [callback, delay] = callArgs;
          const text = callbackText(callback);
          if (matchesCallback(text) && matchesDelay(delay)) {
            if (source.verbose) {
              console.log(`${source.name}: prevented setInterval(${text}, ${delay})`);
            }
            callArgs = [noop, ...Array.prototype.slice.call(callArgs, 1)];
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
