// Stands in for AT Internet's SmartTag (smarttag.js): ATInternet.Tracker.Tag
// objects accept the page's settings, page views, clicks and privacy calls and
// send nothing.
(function() {
    'use strict';
    var noop = function() {};

    // An object whose listed methods all do nothing.
    var methods = function(names) {
        var object = {};
        names.forEach(function(name) {
            object[name] = noop;
        });
        return object;
    };

    var Tag = function() {
        var sender = ['set', 'send', 'add', 'remove', 'reset'];
        this.page = methods(sender);
        this.click = methods(sender.concat(['init']));
        this.clickListener = methods(sender);
        this.customVars = methods(sender);
        this.dynamicLabel = methods(sender);
        this.ecommerce = methods(sender);
        this.events = methods(sender);
        this.identifiedVisitor = methods(['set', 'unset']);
        this.internalSearch = methods(sender);
        this.mvTesting = methods(sender);
        this.onSiteAds = methods(sender);
        this.order = methods(sender);
        this.product = methods(sender);
        this.richMedia = methods(sender.concat(['removeAll']));
        this.selfPromotion = methods(sender);
        this.campaign = methods(sender);
        this.aisle = methods(sender);
        this.cart = methods(sender);
        this.customObject = methods(sender);
        this.customTreeStructure = methods(sender);
        this.publisher = methods(sender);
        this.salesTracker = methods(sender);
        this.sales = methods(sender);
        this.tvTracking = methods(sender);
        this.privacy = methods([
            'setVisitorMode', 'setVisitorOptout', 'setVisitorOptin', 'extendIncludeBuffer',
            'extendIncludeStorage', 'updateStorageDuration', 'resetParamsToInclude',
        ]);
        this.privacy.getVisitorMode = function() {
            return {name: 'optout', type: 'exempt'};
        };
    };
    Tag.prototype = methods([
        'setProp', 'setProps', 'delProp', 'delProps', 'setParam', 'delParam', 'setConfig',
        'dispatch', 'sendHit', 'setLocalHit', 'onDispatch', 'onTrigger',
    ]);
    Tag.prototype.getConfig = function() {
        return undefined;
    };
    Tag.prototype.getParam = function() {
        return undefined;
    };
    Tag.prototype.getProps = function() {
        return {};
    };
    Tag.prototype.getContext = function() {
        return {};
    };

    // The page may have set an onTrackerLoad hook on its own ATInternet object.
    var onLoad = window.ATInternet && window.ATInternet.onTrackerLoad;
    window.ATInternet = {
        onTrackerLoad: onLoad,
        Tracker: {
            Tag: Tag,
            Plugins: {},
        },
        Utils: {
            consentReceived: noop,
            getObjectKeys: function(object) {
                return Object.keys(object || {});
            },
            privacy: methods(['setVisitorOptout', 'setVisitorOptin', 'setVisitorMode']),
        },
    };

    // The library calls that hook once it has loaded; an error in it belongs
    // to its own task, not to this script.
    if (typeof onLoad === 'function') {
        setTimeout(onLoad, 0);
    }
})();
