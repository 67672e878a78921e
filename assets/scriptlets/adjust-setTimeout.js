function adjustSetTimeout(source, args) {
  // Waits before a download link or a "skip" button appears are setTimeout
  // calls (often chained, one per second): the matching ones fire sooner (or
  // later). args: what the callback's source must contain ("" or "*" for
  // any; "/regex/flags" for a regular expression), the delay to match
  // (default 1000; "*" for any), and the factor applied to it (default 0.05,
  // kept within 0.001..50).
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };

    const toMatcher = (pattern) => {
      if (pattern === '' || pattern === '*') {
        return () => true;
      }
      const regex = /^\/(.+)\/([dimsuv]*)$/.exec(pattern);
      if (regex) {
        const re = new RegExp(regex[1], regex[2]);
        return (text) => re.test(text);
      }
      return (text) => text.includes(pattern);
    };

    let matchesCallback;
    try {
      matchesCallback = toMatcher(String(args[0] ?? ''));
    } catch (e) {
      return;
    }
    const delayArg = String(args[1] ?? '').trim();
    let matchesDelay;
    if (delayArg === '*') {
      matchesDelay = () => true;
    } else if (delayArg === '' || /^\d+$/.test(delayArg)) {
      const wanted = delayArg === '' ? 1000 : Number(delayArg);
      matchesDelay = (delay) => Number(delay) === wanted;
    } else {
      return;
    }
    const boostArg = String(args[2] ?? '').trim();
    let boost = boostArg === '' ? 0.05 : Number(boostArg);
    if (!Number.isFinite(boost)) {
      return;
    }
    boost = Math.min(50, Math.max(0.001, boost));

    // A Proxy keeps the native function's name, length and toString(), which
    // some pages check before trusting their timers.
    window.setTimeout = new Proxy(window.setTimeout, {
      apply(target, thisArg, callArgs) {
        const [callback, delay] = callArgs;
        try {
          if (matchesDelay(delay ?? 0) && matchesCallback(String(callback))) {
            const adjusted = Math.round(Number(delay ?? 0) * boost);
            callArgs[1] = adjusted;
            log(`setTimeout delay ${delay} -> ${adjusted} for ${String(callback).slice(0, 100)}`);
          }
        } catch (e) {
          // An odd callback (one whose toString() throws) is left as it is.
        }
        return Reflect.apply(target, thisArg, callArgs);
      },
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
