function dirString(source, args) {
  // A devtools detector hands console.dir() an object with a getter (an
  // element's "id", say) that only the open developer tools would read, and
  // concludes they are open when it fires. Giving console.dir the object's
  // string form instead means nothing ever reads the getter. args: how many
  // calls to treat so (default 1; "0" for all of them).
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    const timesArg = String(args[0] ?? '').trim();
    if (timesArg !== '' && !/^\d+$/.test(timesArg)) {
      return;
    }
    const times = timesArg === '' ? 1 : Number(timesArg);
    let remaining = times === 0 ? Infinity : times;

    if (typeof console.dir !== 'function') {
      return;
    }
    console.dir = new Proxy(console.dir, {
      apply(target, thisArg, callArgs) {
        if (remaining > 0 && callArgs.length > 0) {
          remaining -= 1;
          try {
            callArgs[0] = String(callArgs[0]);
            log('console.dir() got the string form of its object');
          } catch (e) {
            // An object without a string form (no prototype) goes through.
          }
        }
        return Reflect.apply(target, thisArg, callArgs);
      },
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
